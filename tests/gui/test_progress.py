#!/usr/bin/python3
"""Progress window with real windows at 96 dpi: its size, the standard waiting text for short texts, the dots
that advance and cycle, and the end on 0x5F5 forwarded by its owner, which nothing else brings about (a system
close included)."""

import hashlib
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import guitest  # noqa: E402

GALLERY = "gallery.exe"
LABEL = 1000
WAITING_TEXT = "正在修复，请稍等"


class ProgressTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.gui = guitest.Session("progress", dpi=96)
        cls.gui.__enter__()

    @classmethod
    def tearDownClass(cls):
        cls.gui.__exit__(None, None, None)

    def open_progress(self, text, *options):
        gui = self.gui
        trigger = os.path.join(gui.work, "finished-%d" % time.monotonic_ns())
        program = gui.start(gui.program(GALLERY), "progress", text, gui.windows_path(trigger), *options)
        self.addCleanup(program.kill)
        content = gui.wait_window(GALLERY, lambda w: w.child(LABEL) is not None, what="progress content")
        frame = gui.owner_of(GALLERY, content)
        return program, frame, content, trigger

    def finish(self, program, content, trigger):
        """Lets the stand-in worker send 0x5F5 and checks that the window closes and the owner's call returns."""
        with open(trigger, "w"):
            pass
        program.expect_text("forwarded")
        program.expect_text("closed 1")
        self.assertEqual(program.wait(), 0)
        self.assertFalse(any(w.child(LABEL) for w in self.gui.windows(GALLERY)))

    def test_short_text_shows_the_standard_text_and_dots_cycle_until_closed(self):
        gui = self.gui
        program, frame, content, trigger = self.open_progress("x")
        label = content.child(LABEL)
        self.assertEqual(label.text, WAITING_TEXT)
        self.assertEqual(frame.size(), (232, 132))
        self.assertEqual(content.rect, [frame.rect[0] + 14, frame.rect[1] + 12, frame.rect[2] - 14,
                                        frame.rect[3] - 16])
        self.assertEqual(label.rect, [content.client[0] + 10, content.client[1] + 42, content.client[0] + 194,
                                      content.client[1] + 82])
        owner = [w for w in gui.windows(GALLERY) if w.text == "陈列所有者"][0]
        self.assertFalse(owner.enabled, "the owner waits, disabled, while the window runs")

        # Watch the label: the dots must go through four different pictures and come back to the first.
        seen, steps, started = [], [], time.monotonic()

        def cycled():
            crop = gui.grab().crop(label.rect)
            digest = hashlib.sha1(crop.rgb).hexdigest()
            if not seen or seen[-1] != digest:
                seen.append(digest)
                steps.append(round(time.monotonic() - started, 2))
                gui.screenshot("progress-dots-%d" % len(seen), frame.rect)
            return len(seen) >= 6

        gui.wait_for(cycled, timeout=12, what="the dots to go round", interval=0.15)
        print("dot pictures changed at", steps, "s", file=sys.stderr)
        cycle = seen[1:5]
        self.assertEqual(len(set(cycle)), 4, "four different pictures: no dot, one, two, three")
        self.assertEqual(seen[5], seen[1], "then the same four again")
        self.finish(program, content, trigger)

    def test_longer_text_is_shown_as_given_and_a_system_close_changes_nothing(self):
        gui = self.gui
        program, frame, content, trigger = self.open_progress("正在检测驱动，请稍等")
        self.assertEqual(content.child(LABEL).text, "正在检测驱动，请稍等")
        gui.screenshot("progress-detecting", frame.rect)
        # Alt+F4 on the window while the work runs: both windows stay, and the owner is still waiting.
        gui.click(*content.child(LABEL).center())
        gui.key("alt+F4")
        time.sleep(1.5)
        shown = {w.hwnd: w.visible for w in gui.windows(GALLERY)}
        self.assertEqual((shown.get(frame.hwnd), shown.get(content.hwnd)), (True, True))
        self.assertNotIn("closed 1", program.output())
        self.finish(program, content, trigger)

    def test_empty_text_shows_the_standard_text(self):
        program, frame, content, trigger = self.open_progress("")
        self.assertEqual(content.child(LABEL).text, WAITING_TEXT)
        self.finish(program, content, trigger)

    def test_missing_frame_picture_still_closes_on_0x5f5(self):
        program, frame, content, trigger = self.open_progress("正在卸载驱动，请稍等", "--missing-frame")
        self.assertEqual(content.child(LABEL).text, "正在卸载驱动，请稍等")
        self.gui.screenshot("progress-without-frame-picture", frame.rect)
        self.finish(program, content, trigger)


if __name__ == "__main__":
    guitest.run_tests()
