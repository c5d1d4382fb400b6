#!/usr/bin/python3
"""Start-up of the tool in the 32-bit Wine prefix: failed checks, Windows versions, the new-version notice, the
main window at 96 dpi, and the page switch after a scan (see shellcases.py)."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import guitest  # noqa: E402
import shellcases  # noqa: E402

StartupTest = shellcases.startup_tests("win32")
PageSwitchTest = shellcases.page_switch_test("win32")

if __name__ == "__main__":
    guitest.run_tests()
