#!/usr/bin/env python3
"""The shipped binaries as Windows sees them: SuiteCore exports by ordinal with no names,
its clients import it by ordinal only, every deliverable carries a version block and every
program a manifest, and the modules that ship alone import nothing but the system's DLLs."""
import argparse
import os
import re
import subprocess
import sys
import unittest

ARGS = None


def objdump(path):
    return subprocess.run([ARGS.objdump, '-p', path], capture_output=True, text=True, check=True).stdout


def resource_types(dump):
    return {int(m, 16) for m in re.findall(r'^[0-9a-f]{3}   Entry: ID: 0x([0-9a-f]+)', dump, re.M)}


# DLLs every supported Windows has in its system folder.
SYSTEM_DLLS = {
    'kernel32.dll', 'user32.dll', 'gdi32.dll', 'advapi32.dll', 'shell32.dll', 'shlwapi.dll',
    'ole32.dll', 'oleaut32.dll', 'comctl32.dll', 'comdlg32.dll', 'version.dll', 'msvcrt.dll',
    'ws2_32.dll', 'wsock32.dll', 'winmm.dll', 'rpcrt4.dll', 'netapi32.dll', 'iphlpapi.dll',
}


# The calls SuiteCore binds by name from the HTML renderer.
RENDERER_CALLS = ['QHTM_GetHTMLHeight', 'QHTM_Initialize', 'QHTM_RenderHTMLRect']


def imported_dlls(dump):
    return [name.lower() for name in re.findall(r'DLL Name: (\S+)', dump)]


def exported_names(dump):
    m = re.search(r'\[Ordinal/Name Pointer\] Table\n((?:\s+\[\s*\d+\] \S+\n)*)', dump)
    return re.findall(r'\] (\S+)', m.group(1)) if m else []


def imports_of(dump, dll):
    """The (hint_or_ordinal, name) pairs imported from one DLL."""
    m = re.search(r'DLL Name: ' + re.escape(dll) + r'\n\s*vma:.*\n((?:\t[0-9a-f]+\t +\d+ +\S.*\n)*)', dump, re.I)
    if not m:
        return None
    return [tuple(line.split()[1:3]) for line in m.group(1).splitlines() if line.strip()]


class Binaries(unittest.TestCase):
    def test_suitecore_exports_by_ordinal_without_names(self):
        dump = objdump(os.path.join(ARGS.bin, 'suitecore.dll'))
        self.assertRegex(dump, r'\[Name Pointer/Ordinal\] Table\s+00000000\b')
        count = int(re.search(r'Export Address Table\s+([0-9a-f]+)', dump).group(1), 16)
        self.assertGreater(count, 0)
        self.assertNotRegex(dump, r'\[Ordinal/Name Pointer\] Table\n\s+\[\s*\d+\] \S')

    def test_clients_import_suitecore_by_ordinal_only(self):
        for client in ARGS.clients:
            with self.subTest(client=client):
                entries = imports_of(objdump(os.path.join(ARGS.bin, client)), 'suitecore.dll')
                self.assertTrue(entries, f'{client} does not import suitecore.dll')
                self.assertTrue(all(name == '<none>' for _, name in entries), entries)

    def test_every_deliverable_has_a_version_block_and_programs_a_manifest(self):
        for name in ARGS.deliverables:
            with self.subTest(binary=name):
                types = resource_types(objdump(os.path.join(ARGS.bin, name)))
                self.assertIn(16, types, 'no version block')
                if name.lower().endswith('.exe'):
                    self.assertIn(24, types, 'no manifest')

    def test_standalone_modules_import_only_system_dlls(self):
        for name in ARGS.standalone:
            with self.subTest(binary=name):
                dlls = imported_dlls(objdump(os.path.join(ARGS.bin, name)))
                self.assertIn('kernel32.dll', dlls)
                self.assertEqual([], [d for d in dlls if d not in SYSTEM_DLLS])

    def test_com_servers_export_their_entry_points_by_plain_name(self):
        for name in ARGS.com_servers:
            with self.subTest(binary=name):
                dump = objdump(os.path.join(ARGS.bin, name))
                self.assertEqual(['DllCanUnloadNow', 'DllGetClassObject', 'DllRegisterServer', 'DllUnregisterServer'],
                                 sorted(exported_names(dump)))
                self.assertIn(24, resource_types(dump), 'no manifest')

    def test_suitecore_imports_exactly_the_renderer_calls_by_name(self):
        if not ARGS.renderer:
            self.skipTest('no renderer given')
        dump = objdump(os.path.join(ARGS.bin, 'suitecore.dll'))
        entries = imports_of(dump, ARGS.renderer)
        self.assertTrue(entries, f'suitecore.dll does not import {ARGS.renderer} through its import table')
        self.assertEqual(RENDERER_CALLS, sorted(name for _, name in entries))
        # Bound at load, never on first call: SuiteCore has no delay-load imports at all.
        self.assertRegex(dump, r'Entry d 00000000 00000000 Delay Import Directory')

    def test_renderer_exports_its_calls_by_plain_name(self):
        if not ARGS.renderer:
            self.skipTest('no renderer given')
        names = exported_names(objdump(os.path.join(ARGS.bin, ARGS.renderer)))
        for call in RENDERER_CALLS:
            self.assertIn(call, names)
        self.assertEqual([], [n for n in names if '@' in n or n.startswith('_')])


if __name__ == '__main__':
    parser = argparse.ArgumentParser()
    parser.add_argument('--objdump', required=True)
    parser.add_argument('--bin', required=True)
    parser.add_argument('--clients', required=True, help='semicolon-separated binaries bound to SuiteCore')
    parser.add_argument('--deliverables', required=True, help='semicolon-separated shipped binaries')
    parser.add_argument('--standalone', default='', help='semicolon-separated binaries that ship alone')
    parser.add_argument('--com-servers', default='', help='semicolon-separated in-process COM servers')
    parser.add_argument('--renderer', default='', help='the HTML renderer DLL that exports its calls by name')
    ARGS, rest = parser.parse_known_args()
    ARGS.clients = [c for c in ARGS.clients.split(';') if c]
    ARGS.deliverables = [d for d in ARGS.deliverables.split(';') if d]
    ARGS.standalone = [d for d in ARGS.standalone.split(';') if d]
    ARGS.com_servers = [d for d in ARGS.com_servers.split(';') if d]
    unittest.main(argv=[sys.argv[0]] + rest)
