#!/usr/bin/python3
"""Prompt and progress windows at 192 dpi (s = 1.92, the screen's dpi divided by 100) and at 200 dpi (s = 2):
window sizes, the content's place over the frame and the layout of the content, in pixels, as the design sizes
times s give them (products in single precision, truncated)."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import guitest  # noqa: E402

GALLERY = "gallery.exe"
CLOSE, TEXT, FIRST, SECOND, LABEL = 1005, 1006, 1007, 1008, 1000


def relative(win, content):
    """A control's rectangle in its content window's client coordinates."""
    return [win.rect[0] - content.client[0], win.rect[1] - content.client[1], win.rect[2] - content.client[0],
            win.rect[3] - content.client[1]]


class ScaleCase:
    dpi = None
    expected = None

    @classmethod
    def setUpClass(cls):
        cls.gui = guitest.Session("scale-%d" % cls.dpi, dpi=cls.dpi)
        cls.gui.__enter__()

    @classmethod
    def tearDownClass(cls):
        cls.gui.__exit__(None, None, None)

    def open(self, *args):
        gui = self.gui
        gui.move(5, 5)
        program = gui.start(gui.program(GALLERY), *args)
        self.addCleanup(program.kill)
        program.expect(lambda line: line.startswith("scale "))
        return program

    def test_prompt_geometry(self):
        e = self.expected
        gui = self.gui
        self.assertEqual(gui.screen_info["dpi"], self.dpi)
        program = self.open("prompt", "2", "是否要卸载该驱动？")
        self.assertIn(e["scale_line"], program.output())
        content = gui.wait_window(GALLERY, lambda w: w.child(TEXT) is not None, what="prompt content")
        frame = gui.owner_of(GALLERY, content)
        self.assertEqual(frame.size(), e["prompt_frame"])
        inset = e["prompt_inset"]
        self.assertEqual(content.rect, [frame.rect[0] + inset[0], frame.rect[1] + inset[1],
                                        frame.rect[2] - inset[2], frame.rect[3] - inset[3]])
        self.assertEqual(relative(content.child(CLOSE), content), e["close"])
        self.assertEqual(relative(content.child(FIRST), content), e["first_of_two"])
        self.assertEqual(relative(content.child(SECOND), content), e["second"])
        self.assertEqual(relative(content.child(TEXT), content), e["text"])
        gui.screenshot("prompt-yes-no", frame.rect)
        gui.click(*content.child(SECOND).center())
        self.assertEqual(program.wait(), 2)

        program = self.open("prompt", "3", "卸载成功")
        content = gui.wait_window(GALLERY, lambda w: w.child(TEXT) is not None, what="prompt content")
        self.assertFalse(content.child(SECOND).visible)
        self.assertEqual(relative(content.child(FIRST), content), e["first_alone"])
        gui.screenshot("prompt-confirm", gui.owner_of(GALLERY, content).rect)
        gui.click(*content.child(FIRST).center())
        self.assertEqual(program.wait(), 1)

    def test_progress_geometry(self):
        e = self.expected
        gui = self.gui
        trigger = os.path.join(gui.work, "finished-%d" % time.monotonic_ns())
        program = self.open("progress", "x", gui.windows_path(trigger))
        content = gui.wait_window(GALLERY, lambda w: w.child(LABEL) is not None, what="progress content")
        frame = gui.owner_of(GALLERY, content)
        self.assertEqual(frame.size(), e["progress_frame"])
        inset = e["progress_inset"]
        self.assertEqual(content.rect, [frame.rect[0] + inset[0], frame.rect[1] + inset[1],
                                        frame.rect[2] - inset[2], frame.rect[3] - inset[3]])
        self.assertEqual(relative(content.child(LABEL), content), e["label"])
        gui.screenshot("progress", frame.rect)
        with open(trigger, "w"):
            pass
        self.assertEqual(program.wait(), 0)


class Scale192Test(ScaleCase, unittest.TestCase):
    dpi = 192
    # s = 1.92: the frame is trunc(336 s) x trunc(156 s); after its first move the content sits inset by
    # trunc(5 s), trunc(3 s), trunc(5 s), trunc(7 s) and is 627 x 281, which the layout runs on.
    expected = {
        "scale_line": "scale 1.920000",
        "prompt_frame": (645, 299),
        "prompt_inset": (9, 5, 9, 13),
        "close": [578, 15, 601, 38],
        "first_of_two": [184, 205, 289, 251],
        "second": [336, 205, 441, 251],
        "first_alone": [260, 205, 365, 251],
        "text": [19, 96, 608, 205],
        "progress_frame": (445, 253),
        "progress_inset": (26, 23, 26, 30),
        "label": [19, 80, 373, 156],
    }


class Scale200Test(ScaleCase, unittest.TestCase):
    dpi = 200
    expected = {
        "scale_line": "scale 2.000000",
        "prompt_frame": (672, 312),
        "prompt_inset": (10, 6, 10, 14),
        "close": [600, 16, 624, 40],
        "first_of_two": [192, 214, 302, 262],
        "second": [350, 214, 460, 262],
        "first_alone": [271, 214, 381, 262],
        "text": [20, 100, 632, 212],
        "progress_frame": (464, 264),
        "progress_inset": (28, 24, 28, 32),
        "label": [20, 84, 388, 164],
    }


if __name__ == "__main__":
    guitest.run_tests()
