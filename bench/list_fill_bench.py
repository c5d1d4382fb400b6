#!/usr/bin/python3
"""The selection page's package list filled with many rows, side by side with a plain list view filled with drawing
on, under Wine on a virtual display (bench_list_fill.exe). Each fill is timed until the list is painted.

usage: bench/list_fill_bench.py [rows] [rounds]     (after scripts/build.sh; TOLVIK_BUILD_DIR picks the build)
It measures and reports; it passes no judgement."""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "gui"))
import guitest  # noqa: E402

BENCH = "bench_list_fill.exe"


def main(argv):
    rows = argv[0] if argv else "1000"
    rounds = argv[1] if len(argv) > 1 else "5"
    with guitest.Session("bench-list-fill", dpi=96) as gui:
        program = gui.start(gui.program(BENCH), rows, rounds)
        code = program.wait(timeout=600)
        for line in program.output():
            print(line)
        return code


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
