#!/usr/bin/python3
"""The start page on a PC without devices, in both prefixes: "获取设备驱动失败", and every further press scans
again."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import guitest  # noqa: E402
import pagetest  # noqa: E402


class EmptyPcWin32Test(pagetest.EmptyPcTest):
    ARCH = "win32"


class EmptyPcWin64Test(pagetest.EmptyPcTest):
    ARCH = "win64"


if __name__ == "__main__":
    guitest.run_tests()
