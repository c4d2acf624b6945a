#!/usr/bin/env python3
"""Every test program runs on the suite's own test main, and every one that imports SuiteCore
has the shutdown recorder built in: no test can reach ExitWindowsEx, which under Wine ends every
process of the prefix. Read from the built programs themselves, so a program added by other
means than suite_add_gtest is caught as well."""
import argparse
import glob
import json
import os
import re
import subprocess
import sys
import unittest

ARGS = None
MAIN_MARKER = b'suite-test-main: shutdown requests recorded'
GUARD_MARKER = b'suite-shutdown-guard: recorder installed'
GTEST_MARKER = b'gtest_list_tests'


def imports_suitecore(path):
    dump = subprocess.run([ARGS.objdump, '-p', path], capture_output=True, text=True, check=True).stdout
    return 'suitecore.dll' in (name.lower() for name in re.findall(r'DLL Name: (\S+)', dump))


def contents(path):
    with open(path, 'rb') as f:
        return f.read()


class ShutdownRecorder(unittest.TestCase):
    def test_declared_programs_use_the_suite_test_main(self):
        with open(ARGS.declared, encoding='utf-8') as f:
            declared = json.load(f)
        self.assertTrue(declared)
        for name, entry in declared.items():
            path = os.path.join(ARGS.bin, entry['executable'])
            with self.subTest(program=name):
                self.assertTrue(os.path.exists(path), path + ' is not built')
                self.assertIn(MAIN_MARKER, contents(path), name + ' runs on a main without the recorder check')

    def test_every_test_program_loading_suitecore_installs_the_recorder(self):
        checked = 0
        for path in sorted(glob.glob(os.path.join(ARGS.bin, '*.exe'))):
            data = contents(path)
            if GTEST_MARKER not in data or not imports_suitecore(path):
                continue
            checked += 1
            with self.subTest(program=os.path.basename(path)):
                self.assertIn(MAIN_MARKER, data)
                self.assertIn(GUARD_MARKER, data)
        self.assertGreater(checked, 0, 'no test program imports suitecore.dll')


if __name__ == '__main__':
    parser = argparse.ArgumentParser()
    parser.add_argument('--objdump', required=True)
    parser.add_argument('--bin', required=True)
    parser.add_argument('--declared', required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest)
