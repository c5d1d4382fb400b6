#!/usr/bin/python3
"""The whole road of one uninstall, and an uninstall that fails, at 120, 144 and 192 dpi: the pages, prompts and
progress window scaled up still take real input where they are drawn. Prefixes alternate."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import guitest  # noqa: E402
import pagetest  # noqa: E402


class PagesAt120Test(pagetest.PagesTest):
    ARCH = "win64"
    DPI = 120


class PagesAt144Test(pagetest.PagesTest):
    ARCH = "win32"
    DPI = 144


class PagesAt192Test(pagetest.PagesTest):
    ARCH = "win64"
    DPI = 192


if __name__ == "__main__":
    guitest.run_tests()
