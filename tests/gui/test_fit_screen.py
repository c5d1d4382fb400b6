#!/usr/bin/python3
"""Windows that would not fit a small screen at a high DPI are scaled down until they do: the main window with its
frame, and the feedback window, at 168 dpi on 1366 x 768 (32-bit prefix) and 192 dpi on 1024 x 768 (64-bit)."""

import os
import struct
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import guitest  # noqa: E402
import tool  # noqa: E402

FRAME_DESIGN = (806, 606)
MAIN_DESIGN = (800, 600)


def f32(value):
    return struct.unpack("f", struct.pack("f", value))[0]


def inside(rect, area):
    return area[0] <= rect[0] and area[1] <= rect[1] and rect[2] <= area[2] and rect[3] <= area[3]


class FitScreenTest(unittest.TestCase):
    def check(self, prefix_name, dpi, screen):
        with guitest.Session("fit-%d-%s" % (dpi, prefix_name), dpi=dpi, screen=screen,
                             prefix_template=tool.prefix_template(prefix_name)) as gui:
            work = gui.screen_info["work"]
            run = tool.Tool(gui, prefix_name)
            self.addCleanup(run.program.kill)
            main = run.wait_main_window()
            run.wait_journal("GetToolIsNewVersion")  # start-up is over: a click is taken
            frame = run.frame_of(main)
            gui.screenshot("fitted-%d" % dpi, frame.rect, margin=0)
            self.assertTrue(inside(frame.rect, work), "the frame %s lies in the work area %s" % (frame.rect, work))
            # The largest scale that fits: one more pixel of height would not.
            s = frame.height / FRAME_DESIGN[1]
            self.assertLess(s, f32(dpi / 100.0), "the scale was lowered")
            self.assertGreaterEqual(frame.height, (work[3] - work[1]) - 2, "no smaller than it must be")
            self.assertLessEqual(abs(main.width - MAIN_DESIGN[0] * s), 3, "the main window keeps its proportions")
            self.assertLessEqual(abs(main.height - MAIN_DESIGN[1] * s), 3)
            self.assertTrue(inside(main.child(tool.CLOSE).rect, work), "the close button is on the screen")

            gui.click_until(main.child(tool.CLOSE).center(), lambda: any(
                w.child(tool.FEEDBACK_SOLVED) is not None for w in run.windows()), "the feedback window", timeout=15)
            feedback = run.wait_feedback_window()
            outer = gui.owner_of(tool.EXE, feedback)
            gui.screenshot("feedback-%d" % dpi, outer.rect, margin=0)
            self.assertTrue(inside(outer.rect, work), "the feedback window %s lies in %s" % (outer.rect, work))
            gui.click_until(feedback.child(tool.FEEDBACK_SOLVED).center(), lambda: not run.program.running(),
                            "the answer to end the program", timeout=10, attempts=3)
            self.assertEqual(run.wait(), 0)

    def test_168_dpi_on_1366_by_768(self):
        self.check("win32", 168, (1366, 768))

    def test_192_dpi_on_1024_by_768(self):
        self.check("win64", 192, (1024, 768))


if __name__ == "__main__":
    guitest.run_tests()
