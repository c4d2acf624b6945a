#!/usr/bin/env python3
"""The ordinal tool against SuiteCore's real objects: a table that misses, renumbers or
keeps a stale symbol fails the check with a message that says what to do."""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

ARGS = None


def run(command, table, defpath=None):
    cmd = [sys.executable, ARGS.tool, command, '--table', table]
    if command == 'check':
        cmd += ['--def', defpath, '--library', 'suitecore.dll', '--append-target', 'suitecore_ordinals_append']
    return subprocess.run(cmd + ARGS.objects, capture_output=True, text=True)


def rows(path):
    with open(path, encoding='utf-8') as f:
        return [line for line in f if line.split('#', 1)[0].strip()]


class OrdinalTable(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()
        self.table = os.path.join(self.dir, 'table')
        self.defpath = os.path.join(self.dir, 'out.def')
        shutil.copy(ARGS.table, self.table)
        self.lines = rows(self.table)
        self.assertTrue(self.lines, 'the ordinal table is empty')

    def tearDown(self):
        shutil.rmtree(self.dir)

    def write(self, lines):
        with open(self.table, 'w', encoding='utf-8') as f:
            f.writelines(lines)

    def test_checked_in_table_matches_and_writes_noname_def(self):
        r = run('check', self.table, self.defpath)
        self.assertEqual(0, r.returncode, r.stderr)
        with open(self.defpath, encoding='utf-8') as f:
            text = f.read()
        self.assertTrue(text.startswith('LIBRARY "suitecore.dll"\nEXPORTS\n'))
        exports = text.splitlines()[2:]
        # A retired line keeps its ordinal but exports nothing.
        live = [line for line in self.lines if 'RETIRED' not in line.split('#')[0].split()]
        self.assertEqual(len(live), len(exports))
        self.assertTrue(all(' NONAME' in line for line in exports))

    def test_symbol_missing_from_table_fails_with_how_to_append(self):
        removed = self.lines[0].split()[1]
        self.write(self.lines[1:])
        r = run('check', self.table, self.defpath)
        self.assertNotEqual(0, r.returncode)
        self.assertIn('have no ordinal', r.stderr)
        self.assertIn(removed, r.stderr)
        self.assertIn('cmake --build <build dir> --target suitecore_ordinals_append', r.stderr)

    def test_append_gives_new_symbols_the_next_ordinals_only(self):
        removed = self.lines[0].split()[1]
        self.write(self.lines[1:])
        r = run('append', self.table)
        self.assertEqual(0, r.returncode, r.stderr)
        after = rows(self.table)
        self.assertEqual(self.lines[1:], after[:-1])
        last = int(self.lines[-1].split()[0]) if len(self.lines) > 1 else 0
        self.assertEqual([str(last + 1), removed], after[-1].split()[:2])
        self.assertEqual(0, run('check', self.table, self.defpath).returncode)

    def test_renumbered_or_reordered_ordinals_fail(self):
        if len(self.lines) < 2:
            self.skipTest('needs two exports')
        self.write([self.lines[1], self.lines[0]] + self.lines[2:])
        r = run('check', self.table, self.defpath)
        self.assertNotEqual(0, r.returncode)
        self.assertIn('never renumbered or reused', r.stderr)

    def test_stale_symbol_must_be_retired_and_is_then_left_out(self):
        last = int(self.lines[-1].split()[0])
        self.write(self.lines + [f'{last + 1} _Z13GoneFunctionv\n'])
        r = run('check', self.table, self.defpath)
        self.assertNotEqual(0, r.returncode)
        self.assertIn('no longer exported', r.stderr)
        self.write(self.lines + [f'{last + 1} _Z13GoneFunctionv RETIRED\n'])
        r = run('check', self.table, self.defpath)
        self.assertEqual(0, r.returncode, r.stderr)
        with open(self.defpath, encoding='utf-8') as f:
            self.assertNotIn('GoneFunction', f.read())


if __name__ == '__main__':
    parser = argparse.ArgumentParser()
    parser.add_argument('--tool', required=True)
    parser.add_argument('--table', required=True)
    parser.add_argument('--objects', required=True, help='semicolon-separated object files')
    ARGS, rest = parser.parse_known_args()
    ARGS.objects = [o for o in ARGS.objects.split(';') if o]
    unittest.main(argv=[sys.argv[0]] + rest)
