#!/usr/bin/python3
"""Problem-solved feedback window with real input: its size and places at 96, 120, 144 and 192 dpi, what each of
its four buttons reports through the feedback library (asserted in the library stand-in's journal), the hot
areas of the large buttons, Enter/Escape/space, dragging by the top strip, and the failures it must survive."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import guitest  # noqa: E402

GALLERY = "gallery.exe"
MORE, CLOSE, SOLVED, NOT_SOLVED = 1001, 1002, 1003, 1004
TOOL = ["10102", "1.1.21.104"]
HOME = "https://kb.varunel.com/"
# Pictures of the large buttons, normal and hover, and of the close cross.
SOLVED_PICTURE, NOT_SOLVED_PICTURE, MORE_PICTURE = 184, 190, 152


def trunc(value):
    return int(value)


def f32(value):
    """The value as a single-precision float, as the tool computes scaled sizes."""
    import struct
    return struct.unpack("f", struct.pack("f", value))[0]


class FeedbackWindow:
    """One run of the gallery's feedback window, with its own journal folder."""

    def __init__(self, test, *options):
        gui = test.gui
        type(test).runs += 1
        self.folder = os.path.join(gui.work, "feedback-%d" % type(test).runs)
        os.makedirs(self.folder, exist_ok=True)
        self.started = time.time()
        self.program = gui.start(gui.program(GALLERY), "feedback", *options,
                                 env={"TOLVIK_FEEDBACK_DIR": gui.windows_path(self.folder)})
        test.addCleanup(self.program.kill)
        self.test = test

    def wait_shown(self):
        gui = self.test.gui
        self.content = gui.wait_window(GALLERY, lambda w: w.child(SOLVED) is not None, what="feedback content")
        self.frame = gui.owner_of(GALLERY, self.content)
        self.test.assertIsNotNone(self.frame, "the content window is owned by the feedback frame")
        return self

    def journal(self):
        """The library's journal: one list of fields per call, without the start-up call."""
        path = os.path.join(self.folder, "journal.txt")
        if not os.path.exists(path):
            return []
        with open(path, encoding="utf-8", newline="") as f:
            text = f.read()
        self.test.assertTrue(text == "" or text.endswith("\r\n"))
        calls = [line.split("\t") for line in text.split("\r\n") if line]
        return [c for c in calls if c[0] != "InitFreedbackDll"]

    def button(self, control_id):
        return self.content.child(control_id)


class FeedbackTestBase:
    dpi = 96

    @classmethod
    def setUpClass(cls):
        cls.gui = guitest.Session("feedback-%d" % cls.dpi, dpi=cls.dpi)
        cls.gui.__enter__()
        cls.work = cls.gui.screen_info["work"]
        cls.s = f32(cls.dpi / 100.0) if cls.dpi > 100 else 1.0
        cls.runs = 0

    @classmethod
    def tearDownClass(cls):
        cls.gui.__exit__(None, None, None)

    def open(self, *options):
        return FeedbackWindow(self, *options).wait_shown()

    def picture_of(self, button):
        crop = self.gui.grab().crop(button.rect)
        pictures = {pid: guitest.skin_picture_mean(pid) for pid in (SOLVED_PICTURE, SOLVED_PICTURE + 1,
                                                                     NOT_SOLVED_PICTURE, MORE_PICTURE)}
        return guitest.nearest(crop.mean(), pictures)

    def assertPicture(self, button, picture):
        """Waits (a few seconds at most) for the button to show the picture."""
        seen = []

        def shows():
            seen.append(self.picture_of(button))
            return seen[-1] == picture

        try:
            self.gui.wait_for(shows, timeout=5, what="picture %d" % picture)
        except guitest.GuiTestError:
            self.fail("control %d shows picture %s, not %d" % (button.id, seen[-1], picture))

    def wait_hover(self, button, picture):
        """Puts the pointer on a button and waits for its hover picture: every input sent before has been
        handled by then."""
        self.gui.move(*button.center())
        self.gui.wait_for(lambda: self.picture_of(button) == picture, what="hover picture %d" % picture)

    def assertAnswer(self, window, choice):
        """The window closed with IDCANCEL after reporting `choice` with the moment of the answer, then asking
        for feedback."""
        self.assertEqual(window.program.wait(), 2)
        ended = time.time()
        calls = window.journal()
        self.assertEqual([c[:4] for c in calls], [["CustomerFeedbackEx"] + TOOL + [str(choice)],
                                                  ["FeedbackQuestion"] + TOOL])
        moment = calls[0][4]
        self.assertRegex(moment, r"^[0-9]+$", "seconds since 1970 in decimal")
        self.assertGreaterEqual(int(moment), int(window.started) - 1)
        self.assertLessEqual(int(moment), int(ended) + 1)
        self.assertEqual(len(calls[0]), 5)
        self.assertEqual(len(calls[1]), 3)

    def check_geometry(self, window):
        s = self.s
        frame, content = window.frame, window.content
        self.assertEqual(frame.text, "videzure")
        self.assertEqual(frame.size(), (trunc(f32(410 * s)), trunc(f32(479 * s))))
        # Once the frame was centred (a move of the frame), the content sits 5, 3, 5 and 7 design pixels inside it.
        self.assertEqual(content.rect, [frame.rect[0] + trunc(f32(5 * s)), frame.rect[1] + trunc(f32(3 * s)),
                                        frame.rect[2] - trunc(f32(5 * s)), frame.rect[3] - trunc(f32(7 * s))])
        # Centred on the work area (its owner, the application's host window, is hidden).
        centre = ((self.work[0] + self.work[2]) // 2, (self.work[1] + self.work[3]) // 2)
        self.assertLessEqual(abs(frame.center()[0] - centre[0]), 1)
        self.assertLessEqual(abs(frame.center()[1] - centre[1]), 1)

        client = content.client
        width, height = client[2] - client[0], client[3] - client[1]
        cross = window.button(CLOSE)
        left = trunc(f32(width - f32(18 * s)))
        top = trunc(f32(6 * s))
        self.assertEqual(cross.rect, [client[0] + left, client[1] + top, client[0] + trunc(f32(left + f32(12 * s))),
                                      client[1] + trunc(f32(top + f32(12 * s)))])
        lefts = [window.button(b).rect[0] - client[0] for b in (SOLVED, NOT_SOLVED, MORE)]
        tops = [window.button(b).rect[1] - client[1] for b in (SOLVED, NOT_SOLVED, MORE)]
        if width <= 400:
            self.assertEqual(lefts, [width // 2 - 133] * 3)
            self.assertEqual(tops, [height // 2 - 80, height // 2, height // 2 + 80])
        else:
            # The first button is cut once, the other two twice: it may stand one pixel further left.
            first = trunc(f32(f32(200 * s) - f32(133 * s)))
            other = trunc(f32(200 * s)) - trunc(f32(133 * s))
            self.assertEqual(lefts, [first, other, other])
            middle = trunc(f32(234 * s))
            self.assertEqual(tops, [trunc(f32(f32(234 * s) - trunc(f32(80 * s)))), middle,
                                    middle + trunc(f32(80 * s))])
        for b in (SOLVED, NOT_SOLVED, MORE):
            self.assertEqual(window.button(b).size(), (trunc(f32(266 * s)), trunc(f32(60 * s))))
            self.assertTrue(window.button(b).visible)
        # Move the pointer away first: a button under it shows its hover picture.
        self.gui.move(self.work[2] - 5, self.work[3] - 5)
        self.assertPicture(window.button(SOLVED), SOLVED_PICTURE)
        self.assertPicture(window.button(NOT_SOLVED), NOT_SOLVED_PICTURE)
        self.assertPicture(window.button(MORE), MORE_PICTURE)

    def test_places_and_solved_reports_1(self):
        window = self.open()
        self.check_geometry(window)
        self.gui.screenshot("feedback-%d" % self.dpi, window.frame.rect)
        self.wait_hover(window.button(SOLVED), SOLVED_PICTURE + 1)
        self.gui.screenshot("feedback-%d-hover" % self.dpi, window.frame.rect)
        self.gui.click(*window.button(SOLVED).center())
        self.assertAnswer(window, 1)


class FeedbackAt96(FeedbackTestBase, unittest.TestCase):
    dpi = 96

    def test_not_solved_reports_2(self):
        window = self.open()
        self.gui.click(*window.button(NOT_SOLVED).center())
        self.assertAnswer(window, 2)

    def test_close_cross_reports_3(self):
        window = self.open()
        cross = window.button(CLOSE)
        self.assertEqual(cross.size(), (12, 12))
        self.gui.click(*cross.center())
        self.assertAnswer(window, 3)

    def test_more_solutions_opens_the_knowledge_base_and_stays_open(self):
        window = self.open()
        more = window.button(MORE)
        # Two separate clicks (a quick second one would be a double click, which a button does not report as a
        # click).
        self.gui.click(*more.center())
        self.gui.wait_for(lambda: len(window.journal()) >= 2, what="the first opening")
        time.sleep(0.8)
        self.gui.click(*more.center())
        self.gui.wait_for(lambda: len(window.journal()) >= 4, what="two openings")
        self.assertEqual(window.journal(), [["OpenUrl", HOME], ["Open", HOME, "recorded"]] * 2)
        self.assertTrue(window.program.running(), "更多方案 leaves the window open")
        now = self.gui.refresh(GALLERY, window.content)
        self.assertTrue(now is not None and now.visible)
        # An answer afterwards is reported as usual.
        self.gui.click(*window.button(CLOSE).center())
        self.assertEqual(window.program.wait(), 2)
        self.assertEqual([c[0] for c in window.journal()][4:], ["CustomerFeedbackEx", "FeedbackQuestion"])

    def test_clicks_on_the_rim_of_a_large_button_do_not_answer(self):
        window = self.open()
        solved, not_solved, more = window.button(SOLVED), window.button(NOT_SOLVED), window.button(MORE)
        # 4 pixels inside the left edge and 3 inside the bottom edge: within the 9-pixel rim.
        self.gui.click(solved.rect[0] + 4, solved.center()[1])
        self.gui.click(not_solved.center()[0], not_solved.rect[3] - 3)
        # The same click on "更多方案" opens the page: it has no rim rule.
        self.gui.click(more.rect[0] + 4, more.center()[1])
        self.gui.wait_for(lambda: window.journal(), what="the opening")
        self.wait_hover(solved, SOLVED_PICTURE + 1)
        self.assertTrue(window.program.running(), "a click on the rim does not answer")
        self.assertEqual(window.journal(), [["OpenUrl", HOME], ["Open", HOME, "recorded"]])
        # Just inside the hot area it answers.
        self.gui.click(solved.rect[0] + 9, solved.center()[1])
        self.assertEqual(window.program.wait(), 2)
        self.assertEqual([c[:4] for c in window.journal()[2:]], [["CustomerFeedbackEx"] + TOOL + ["1"],
                                                                 ["FeedbackQuestion"] + TOOL])

    def test_space_answers_with_the_focused_button_and_escape_does_nothing(self):
        window = self.open()
        client = window.content.client
        # Activate the content away from the buttons (the focus is on 解决), Esc, then Tab to 未解决 and Space.
        self.gui.click(client[0] + 30, client[1] + 250)
        self.gui.key("Escape")
        self.wait_hover(window.button(SOLVED), SOLVED_PICTURE + 1)
        self.assertTrue(window.program.running(), "Esc leaves the window open")
        self.assertEqual(window.journal(), [])
        self.gui.move(self.work[2] - 5, self.work[3] - 5)  # a keyboard press needs no pointer on the button
        self.gui.key("Tab", "space")
        self.assertAnswer(window, 2)

    def test_dragging_the_top_strip_moves_the_frame_along(self):
        window = self.open()
        content, frame = window.content, window.frame
        start = (content.client[0] + 150, content.client[1] + 12)
        self.gui.drag(start, (start[0] - 120, start[1] + 90))
        moved = self.gui.wait_window(GALLERY, lambda w: w.hwnd == content.hwnd and w.rect != content.rect,
                                     what="the content to move")
        self.assertEqual(moved.rect, [content.rect[0] - 120, content.rect[1] + 90, content.rect[2] - 120,
                                      content.rect[3] + 90])
        frame_now = self.gui.refresh(GALLERY, frame)
        self.assertEqual(frame_now.rect, [moved.rect[0] - 5, moved.rect[1] - 4, moved.rect[2] + 5, moved.rect[3] + 7])
        # The frame placed the content 3 pixels below its top, the content takes it along 4 below: the frame now
        # reaches one pixel higher above the content than before, and is one pixel taller.
        self.assertEqual(frame_now.size(), (frame.width, frame.height + 1))
        self.gui.screenshot("feedback-dragged", frame_now.rect)
        # The close corner of the strip does not drag.
        corner = (moved.client[2] - 10, moved.client[1] + 25)
        self.gui.drag(corner, (corner[0] - 100, corner[1] + 100))
        time.sleep(0.5)
        self.assertEqual(self.gui.refresh(GALLERY, content).rect, moved.rect)
        self.assertTrue(window.program.running())
        self.gui.click(*self.gui.refresh(GALLERY, content).child(CLOSE).center())
        self.assertAnswer(window, 3)

    def test_without_a_bridge_the_buttons_close_without_reporting(self):
        window = self.open("--no-bridge")
        self.gui.click(*window.button(MORE).center())
        self.wait_hover(window.button(SOLVED), SOLVED_PICTURE + 1)
        self.assertTrue(window.program.running(), "更多方案 does nothing without the library")
        self.gui.click(*window.button(SOLVED).center())
        self.assertEqual(window.program.wait(), 2)
        self.assertEqual(window.journal(), [])
        self.assertIn("result 2", window.program.output())

    def test_a_frame_without_its_picture_closes_at_once(self):
        window = FeedbackWindow(self, "--missing-frame")
        self.assertEqual(window.program.wait(), 2)
        self.assertEqual([line for line in window.program.output() if not line.startswith("scale")],
                         ["bridge ready", "result 2"])
        self.assertEqual(window.journal(), [])


class FeedbackAt120(FeedbackTestBase, unittest.TestCase):
    dpi = 120


class FeedbackAt144(FeedbackTestBase, unittest.TestCase):
    dpi = 144


class FeedbackAt192(FeedbackTestBase, unittest.TestCase):
    dpi = 192


if __name__ == "__main__":
    guitest.run_tests()
