#!/usr/bin/python3
"""The two pages with real input in the 32-bit prefix (devcon): the whole road of one uninstall, and an
uninstall that fails."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import guitest  # noqa: E402
import pagetest  # noqa: E402

# The road through the real program: its own main window, worker threads and Device Console runs.
os.environ.setdefault("TOLVIK_PAGES_APP", "program")


class PagesWin32Test(pagetest.PagesTest):
    ARCH = "win32"


if __name__ == "__main__":
    guitest.run_tests()
