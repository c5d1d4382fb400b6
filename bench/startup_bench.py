#!/usr/bin/python3
"""Start-up of the tool to a ready main window (frame, main window and the visible start page), side by side
with a bare dialog program under the same Wine, on one virtual display: the two are started alternately, each
run timed from the start of the process to its window being visible, after one warm-up run of each.

usage: bench/startup_bench.py [win32|win64] [runs]     (after scripts/build.sh; TOLVIK_BUILD_DIR picks the build)
It measures and reports; it passes no judgement."""

import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "gui"))
import guitest  # noqa: E402
import tool  # noqa: E402

BARE = "bench_bare_dialog.exe"


def wait_ready(gui, exe, ready, started, timeout=60):
    """Seconds from `started` until one of exe's top-level windows satisfies ready(win)."""
    deadline = started + timeout
    while time.monotonic() < deadline:
        if any(w.visible and ready(w) for w in gui.windows(exe)):
            return time.monotonic() - started
        time.sleep(0.005)
    raise guitest.GuiTestError("%s: no ready window within %ss" % (exe, timeout))


def run_bare(gui):
    started = time.monotonic()
    program = gui.start(gui.program(BARE))
    try:
        return wait_ready(gui, BARE, lambda w: w.child(1000) is not None and w.child(1000).visible, started)
    finally:
        program.kill()


def run_tool(gui, prefix_name, index):
    run = tool.Tool(gui, prefix_name, name="bench%02d" % index)
    # Copying the program folder is not start-up: timed from the process start.
    started = run.started
    try:
        return wait_ready(gui, tool.EXE, lambda w: w.child(tool.START_BUTTON) is not None and
                          w.child(tool.START_BUTTON).visible and w.child(tool.VERSION) is not None, started)
    finally:
        run.program.kill()


def describe(name, times):
    ms = [t * 1000 for t in times]
    spread = statistics.stdev(ms) if len(ms) > 1 else 0.0
    return "  %-28s mean %7.1f ms ± %5.1f ms   median %7.1f   min %7.1f   max %7.1f   (%d runs)" % (
        name, statistics.mean(ms), spread, statistics.median(ms), min(ms), max(ms), len(ms))


def main(argv):
    prefix_name = argv[0] if argv and argv[0] in ("win32", "win64") else "win32"
    runs = int(argv[-1]) if argv and argv[-1].isdigit() else 10
    bare, full = [], []
    with guitest.Session("bench-startup-" + prefix_name, dpi=96, prefix_template=tool.prefix_template(prefix_name)) as gui:
        run_bare(gui)
        run_tool(gui, prefix_name, 0)
        for i in range(runs):
            bare.append(run_bare(gui))
            full.append(run_tool(gui, prefix_name, i + 1))
    print("Start-up to a ready window under Wine (%s prefix, 96 dpi, %d alternating runs each after a warm-up):"
          % (prefix_name, runs))
    print(describe("bare dialog program", bare))
    print(describe("TolvikDriverUninstallTool", full))
    print("  ratio tool / bare: %.2f (means), %.2f (medians)" % (statistics.mean(full) / statistics.mean(bare),
                                                              statistics.median(full) / statistics.median(bare)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
