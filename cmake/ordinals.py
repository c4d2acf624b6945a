#!/usr/bin/env python3
"""Ordinal-only exports for a DLL built with mingw-w64.

gcc records every __declspec(dllexport) symbol of an object as an -export: directive in the
object's .drectve section. This tool compares those symbols with a checked-in ordinal table
and writes the module definition file that exports each of them by ordinal only (NONAME).

  ordinals.py check  --table T --def D --library NAME [--cxxfilt C] OBJECTS...
  ordinals.py append --table T [--cxxfilt C] OBJECTS...

The table is append-only: ordinals are never renumbered or reused. A symbol that is no
longer exported keeps its line, marked RETIRED.
"""
import argparse
import os
import re
import struct
import subprocess
import sys

EXPORT_RE = re.compile(r'-export:(?:"([^"]*)"|([^\s,"]+))(,data)?', re.IGNORECASE)


class TableError(Exception):
    pass


def drectve_exports(path):
    """Returns {symbol: is_data} for the -export: directives of one COFF object."""
    with open(path, 'rb') as f:
        data = f.read()
    if len(data) < 20:
        raise TableError(f'{path}: not a COFF object')
    machine, nsections, _, _, _, opt_size, _ = struct.unpack_from('<HHIIIHH', data, 0)
    if machine != 0x14C:
        raise TableError(f'{path}: not an i386 COFF object (machine 0x{machine:04x})')
    exports = {}
    base = 20 + opt_size
    for i in range(nsections):
        name, _, _, raw_size, raw_ptr = struct.unpack_from('<8sIIII', data, base + 40 * i)
        if name.rstrip(b'\0') != b'.drectve':
            continue
        text = data[raw_ptr:raw_ptr + raw_size].decode('latin-1')
        for m in EXPORT_RE.finditer(text):
            exports[m.group(1) or m.group(2)] = bool(m.group(3))
    return exports


def collect_exports(objects):
    exports = {}
    for obj in objects:
        for sym, is_data in drectve_exports(obj).items():
            exports[sym] = exports.get(sym, False) or is_data
    return exports


def read_table(path):
    """Returns a list of (ordinal, symbol, flags, line_number)."""
    rows = []
    if not os.path.exists(path):
        return rows
    with open(path, encoding='utf-8') as f:
        for number, line in enumerate(f, 1):
            body = line.split('#', 1)[0].split()
            if not body:
                continue
            if len(body) < 2 or not body[0].isdigit():
                raise TableError(f'{path}:{number}: expected "ORDINAL SYMBOL [DATA] [RETIRED]"')
            flags = {flag.upper() for flag in body[2:]}
            unknown = flags - {'DATA', 'RETIRED'}
            if unknown:
                raise TableError(f'{path}:{number}: unknown flag {", ".join(sorted(unknown))}')
            rows.append((int(body[0]), body[1], flags, number))
    return rows


def validate_table(path, rows):
    last = 0
    seen = {}
    for ordinal, sym, _, number in rows:
        if ordinal <= last:
            raise TableError(f'{path}:{number}: ordinal {ordinal} is not above {last}; ordinals are '
                             'appended in increasing order and never renumbered or reused')
        if sym in seen:
            raise TableError(f'{path}:{number}: {sym} already has ordinal {seen[sym]}')
        seen[sym] = ordinal
        last = ordinal


def demangle(names, cxxfilt):
    if not names or not cxxfilt:
        return {n: n for n in names}
    try:
        out = subprocess.run([cxxfilt, '--no-strip-underscore'], input='\n'.join(names) + '\n', capture_output=True,
                             text=True, check=True).stdout.splitlines()
    except (OSError, subprocess.CalledProcessError):
        return {n: n for n in names}
    return dict(zip(names, out)) if len(out) == len(names) else {n: n for n in names}


def check(args):
    rows = read_table(args.table)
    validate_table(args.table, rows)
    exports = collect_exports(args.objects)
    table = {sym: (ordinal, flags) for ordinal, sym, flags, _ in rows}

    problems = []
    missing = sorted(sym for sym in exports if sym not in table)
    if missing:
        names = demangle(missing, args.cxxfilt)
        problems.append(f'{len(missing)} exported symbol(s) have no ordinal in {args.table}:\n' +
                        '\n'.join(f'    {sym}    ({names[sym]})' for sym in missing) +
                        f'\nAppend them (new ordinals go at the end, existing ones never change) with:\n'
                        f'    cmake --build <build dir> --target {args.append_target}')
    gone = [(table[sym][0], sym) for sym in table
            if sym not in exports and 'RETIRED' not in table[sym][1]]
    if gone:
        problems.append('symbol(s) in the ordinal table are no longer exported:\n' +
                        '\n'.join(f'    @{o} {sym}' for o, sym in sorted(gone)) +
                        '\nMark each line RETIRED; its ordinal is never reused.')
    for sym, is_data in exports.items():
        if sym in table and ('DATA' in table[sym][1]) != is_data:
            problems.append(f'{sym}: the table says {"DATA" if not is_data else "code"}, '
                            f'the object says {"DATA" if is_data else "code"}')
    if problems:
        raise TableError('\n\n'.join(problems))

    lines = [f'LIBRARY "{args.library}"', 'EXPORTS']
    for ordinal, sym, flags, _ in rows:
        if 'RETIRED' in flags:
            continue
        lines.append(f'    {sym} @{ordinal} NONAME' + (' DATA' if 'DATA' in flags else ''))
    text = '\n'.join(lines) + '\n'
    old = None
    if os.path.exists(args.def_file):
        with open(args.def_file, encoding='utf-8') as f:
            old = f.read()
    if old != text:  # unchanged output keeps its time stamp, so nothing relinks
        with open(args.def_file, 'w', encoding='utf-8') as f:
            f.write(text)


def append(args):
    rows = read_table(args.table)
    validate_table(args.table, rows)
    exports = collect_exports(args.objects)
    known = {sym for _, sym, _, _ in rows}
    new = sorted(sym for sym in exports if sym not in known)
    if not new:
        print(f'{args.table}: nothing to append')
        return
    names = demangle(new, args.cxxfilt)
    nxt = (rows[-1][0] if rows else 0) + 1
    with open(args.table, 'a', encoding='utf-8') as f:
        for sym in new:
            flag = '  DATA' if exports[sym] else ''
            f.write(f'{nxt:<5} {sym}{flag}  # {names[sym]}\n')
            nxt += 1
    print(f'{args.table}: appended {len(new)} symbol(s)')


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest='command', required=True)
    for name in ('check', 'append'):
        p = sub.add_parser(name)
        p.add_argument('--table', required=True)
        p.add_argument('--cxxfilt')
        p.add_argument('objects', nargs='+')
        if name == 'check':
            p.add_argument('--def', dest='def_file', required=True)
            p.add_argument('--library', required=True)
            p.add_argument('--append-target', default='<library>_ordinals_append')
    args = parser.parse_args()
    try:
        (check if args.command == 'check' else append)(args)
    except TableError as e:
        print(f'ordinals: error: {e}', file=sys.stderr)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
