#!/usr/bin/python3
"""Every worker result and failure row of the two pages (tests/gui/pagecheck): the pages live in a window of the
check program, stand-ins report for the worker threads, and each prompt is read and answered by its button.
Here it gets the display it needs."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import guitest  # noqa: E402


class PageFailureRowsTest(unittest.TestCase):
    def test_every_result_and_failure_row(self):
        with guitest.Session("pages-failures", dpi=96) as gui:
            program = gui.start(gui.program("pagecheck.exe"))
            try:
                code = program.wait(timeout=240)
            finally:
                output = program.output()
            self.assertEqual(code, 0, "\n".join(output[-80:]))
            passed = [line for line in output if line.startswith("[  PASSED  ]")]
            self.assertEqual(passed, ["[  PASSED  ] 19 tests."], "\n".join(output[-20:]))


if __name__ == "__main__":
    guitest.run_tests()
