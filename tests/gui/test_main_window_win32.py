#!/usr/bin/python3
"""The main window with real input in the 32-bit Wine prefix: the agreement window, the agree check
box, the drag strip, the more-tools button, the feedback link, minimising and the exit with self-removal
(see test_main_window.py)."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import guitest  # noqa: E402
import test_main_window  # noqa: E402

MainWindowTest = test_main_window.main_window_tests("win32")

if __name__ == "__main__":
    guitest.run_tests()
