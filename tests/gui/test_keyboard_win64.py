#!/usr/bin/python3
"""The tool with the keyboard alone in the 64-bit Wine prefix (see keyboardcases.py)."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import guitest  # noqa: E402
import keyboardcases  # noqa: E402

KeyboardTest = keyboardcases.keyboard_tests("win64")

if __name__ == "__main__":
    guitest.run_tests()
