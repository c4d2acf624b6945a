#!/usr/bin/env python3
"""The test cases as CTest will run them: every case of every GoogleTest executable carries all
the labels and resource locks its suite_add_gtest declared. A lock that does not reach a case
lets it run beside the tests it shares processes, windows or keys with."""
import argparse
import json
import os
import subprocess
import sys
import unittest

ARGS = None


def ctest_cases():
    """CTest's own view of the build tree: name -> (executable file name, properties)."""
    out = subprocess.run([ARGS.ctest, '--show-only=json-v1'], cwd=ARGS.build, capture_output=True, text=True,
                         check=True).stdout
    cases = {}
    for test in json.loads(out)['tests']:
        props = {p['name']: p['value'] for p in test.get('properties', [])}
        programs = [os.path.basename(arg) for arg in test.get('command', []) if arg.lower().endswith('.exe')]
        cases[test['name']] = (programs[0] if programs else None, props)
    return cases


def as_list(value):
    return value if isinstance(value, list) else [value]


class DeclaredProperties(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with open(ARGS.declared, encoding='utf-8') as f:
            cls.declared = json.load(f)
        cls.cases = ctest_cases()

    def cases_of(self, executable):
        return {name: props for name, (program, props) in self.cases.items() if program == executable}

    def test_every_executable_has_discovered_cases(self):
        self.assertGreater(len(self.declared), 0)
        for name, decl in self.declared.items():
            with self.subTest(executable=name):
                self.assertNotIn(name + '_NOT_BUILT', self.cases)
                self.assertTrue(self.cases_of(decl['executable']), 'no test case was discovered')

    def test_every_case_carries_all_declared_labels_and_locks(self):
        for name, decl in self.declared.items():
            for case, props in self.cases_of(decl['executable']).items():
                with self.subTest(executable=name, case=case):
                    missing_labels = set(decl['labels']) - set(as_list(props.get('LABELS', [])))
                    missing_locks = set(decl['locks']) - set(as_list(props.get('RESOURCE_LOCK', [])))
                    self.assertEqual((set(), set()), (missing_labels, missing_locks), 'labels and locks missing')


if __name__ == '__main__':
    parser = argparse.ArgumentParser()
    parser.add_argument('--ctest', required=True)
    parser.add_argument('--build', required=True, help='the build tree')
    parser.add_argument('--declared', required=True, help='suite_gtests.json written by the configuration')
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest)
