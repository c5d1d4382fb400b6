#!/usr/bin/python3
"""The skinned controls with real input at 96 dpi: button states and their pictures, disabled buttons, the hot
area of image buttons, strips, missing pictures, the check box, link highlighting and the text alignments. The
gallery page paints a plain background (BACKGROUND) and reports clicks and state changes on its output."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import guitest  # noqa: E402

GALLERY = "gallery.exe"
BACKGROUND = (40, 120, 100)
CONFIRM, DISABLED, MISSING = 2001, 2009, 2010
SOLVED, STRIP, STRIP_DISABLED, IMAGE_MISSING = 2020, 2025, 2026, 2027
CHECK, TEXT0, LINK = 2030, 2040, 2046
THROWING = 2060


def state_line(control, state):
    return "state %d %d" % (control, state)


class ControlsTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.gui = guitest.Session("controls", dpi=96)
        cls.gui.__enter__()

    @classmethod
    def tearDownClass(cls):
        cls.gui.__exit__(None, None, None)

    def setUp(self):
        gui = self.gui
        gui.move(5, 5)
        self.program = gui.start(gui.program(GALLERY), "controls")
        self.addCleanup(self.program.kill)
        self.program.expect_text("ready")
        self.page = gui.wait_window(GALLERY, lambda w: w.child(CONFIRM) is not None, what="gallery page")

    def expect(self, line):
        self.program.expect_text(line, timeout=10)

    def new_lines(self, since):
        return self.program.output()[since:]

    def picture_of(self, control, candidates, over=BACKGROUND):
        """Which of the candidate pictures ({name: (picture id, region or None)}) the control shows."""
        crop = self.gui.grab().crop(self.page.child(control).rect)
        means = {name: guitest.skin_picture_mean(pid, over, region) for name, (pid, region) in candidates.items()}
        return guitest.nearest(crop.mean(), means)

    def wait_picture(self, control, name, candidates):
        seen = []

        def shows():
            seen.append(self.picture_of(control, candidates))
            return seen[-1] == name

        try:
            self.gui.wait_for(shows, timeout=5, what="picture %s" % name)
        except guitest.GuiTestError:
            self.fail("control %d shows %s, not %s" % (control, seen[-1], name))

    def assertPlainBackground(self, control):
        crop = self.gui.grab().crop(self.page.child(control).rect)
        odd = [c for c in crop.colours() if guitest.colour_distance(c, BACKGROUND) > 6]
        self.assertEqual(odd, [], "control %d paints only the background" % control)

    def test_picture_button_goes_through_normal_hover_pressed_and_clicks(self):
        gui = self.gui
        pictures = {"normal": (171, None), "hover": (172, None), "pressed": (173, None)}
        button = self.page.child(CONFIRM)
        self.wait_picture(CONFIRM, "normal", pictures)
        gui.screenshot("controls-all", self.page.rect)
        gui.move(*button.center())
        self.expect(state_line(CONFIRM, 2))
        self.wait_picture(CONFIRM, "hover", pictures)
        gui.screenshot("png-button-hover", button.rect, margin=20)
        gui.press(*button.center())
        self.expect(state_line(CONFIRM, 3))
        self.wait_picture(CONFIRM, "pressed", pictures)
        gui.screenshot("png-button-pressed", button.rect, margin=20)
        gui.release()
        self.expect("click %d" % CONFIRM)
        self.expect(state_line(CONFIRM, 2))
        gui.move(5, 5)
        self.wait_picture(CONFIRM, "normal", pictures)
        # The state line comes from the gallery's own poll: the leave is seen there too.
        self.assertEqual(self.program.output().count(state_line(CONFIRM, 1)), 2)

    def test_disabled_button_shows_its_disabled_picture_and_ignores_the_mouse(self):
        gui = self.gui
        button = self.page.child(DISABLED)
        self.assertFalse(button.enabled)
        self.wait_picture(DISABLED, "disabled", {"normal": (171, None), "hover": (172, None),
                                                "disabled": (173, None)})
        before = len(self.program.output())
        gui.move(*button.center())
        gui.click(*button.center())
        # Sync: a later hover elsewhere is reported, so the clicks before it were handled.
        gui.move(*self.page.child(CONFIRM).center())
        self.expect(state_line(CONFIRM, 2))
        lines = self.new_lines(before)
        self.assertNotIn("click %d" % DISABLED, lines)
        self.assertFalse([line for line in lines if line.startswith("state %d " % DISABLED)])

        strip = self.page.child(STRIP_DISABLED)
        frames = {"frame %d" % i: (188, (259 * i, 0, 259 * (i + 1), 85)) for i in range(4)}
        self.wait_picture(STRIP_DISABLED, "frame 3", frames)
        gui.screenshot("strip-disabled", strip.rect, margin=20)

    def test_missing_pictures_leave_the_background(self):
        self.assertPlainBackground(MISSING)
        self.assertPlainBackground(IMAGE_MISSING)
        # Hovering and pressing do not make them paint anything either.
        gui = self.gui
        gui.move(*self.page.child(IMAGE_MISSING).center())
        self.expect(state_line(IMAGE_MISSING, 2))
        self.assertPlainBackground(IMAGE_MISSING)
        gui.click(*self.page.child(MISSING).center())
        self.expect("click %d" % MISSING)
        self.assertPlainBackground(MISSING)

    def test_image_button_reports_whether_the_pointer_is_in_its_hot_area(self):
        gui = self.gui
        button = self.page.child(SOLVED)
        pictures = {"normal": (184, None), "hover": (185, None), "pressed": (186, None)}
        self.wait_picture(SOLVED, "normal", pictures)
        gui.click(*button.center())
        self.expect("click %d hot=1" % SOLVED)
        self.wait_picture(SOLVED, "hover", pictures)
        gui.screenshot("image-button-hover", button.rect, margin=20)
        # Within the 9-pixel rim the button still clicks, but the pointer is outside the hot area.
        gui.click(button.rect[0] + 4, button.center()[1])
        self.expect("click %d hot=0" % SOLVED)
        gui.click(button.center()[0], button.rect[3] - 3)
        gui.wait_for(lambda: self.program.output().count("click %d hot=0" % SOLVED) == 2, what="second rim click")
        self.assertEqual(self.program.output().count("click %d hot=1" % SOLVED), 1)

    def test_image_button_press_released_outside_does_not_click(self):
        gui = self.gui
        button = self.page.child(SOLVED)
        before = len(self.program.output())
        gui.press(*button.center())
        self.expect(state_line(SOLVED, 3))
        gui.screenshot("image-button-pressed", button.rect, margin=20)
        gui.move(button.center()[0], button.rect[3] + 40)
        gui.release()
        self.expect(state_line(SOLVED, 1))
        self.assertNotIn("click %d hot=1" % SOLVED, self.new_lines(before))
        self.assertNotIn("click %d hot=0" % SOLVED, self.new_lines(before))

    def test_strip_button_shows_the_frames_of_its_states(self):
        gui = self.gui
        button = self.page.child(STRIP)
        frames = {"frame %d" % i: (188, (259 * i, 0, 259 * (i + 1), 85)) for i in range(4)}
        self.wait_picture(STRIP, "frame 0", frames)
        gui.move(*button.center())
        self.expect(state_line(STRIP, 2))
        self.wait_picture(STRIP, "frame 1", frames)
        gui.screenshot("strip-hover", button.rect, margin=20)
        gui.press(*button.center())
        self.expect(state_line(STRIP, 3))
        self.wait_picture(STRIP, "frame 2", frames)
        gui.screenshot("strip-pressed", button.rect, margin=20)
        gui.release()
        self.expect("click %d hot=1" % STRIP)

    def test_check_box_toggles_and_shows_its_box(self):
        gui = self.gui
        box = self.page.child(CHECK)
        ticked = gui.grab().crop(box.rect)
        gui.screenshot("check-ticked", box.rect, margin=20)
        gui.click(*box.center())
        self.expect("check 0")
        self.gui.wait_picture(box.rect, lambda crop: crop.rgb != ticked.rgb, what="the empty box")
        gui.screenshot("check-empty", box.rect, margin=20)
        gui.click(*box.center())
        self.expect("check 1")
        self.gui.wait_picture(box.rect, lambda crop: crop.rgb == ticked.rgb, what="the ticked box again")

    def test_link_is_highlighted_under_the_pointer(self):
        gui = self.gui
        link = self.page.child(LINK)
        self.expect("hover %d 0" % LINK)

        def blue(crop):
            return sum(1 for c in crop.colours() if c[2] > 200 and c[0] < 60 and c[1] < 60)

        normal = blue(gui.grab().crop(link.rect))
        gui.move(*link.center())
        self.expect("hover %d 1" % LINK)
        gui.wait_picture(link.rect, lambda crop: blue(crop) > normal + 20, what="the link in its hover colour")
        gui.screenshot("link-hover", link.rect, margin=20)
        gui.move(5, 5)
        self.expect("hover %d 0" % LINK)

    def test_text_alignments(self):
        shot = self.gui.grab()
        self.gui.screenshot("texts", [self.page.rect[0], self.page.child(TEXT0).rect[1] - 10, self.page.rect[2],
                                      self.page.rect[3]])

        def ink(control):
            crop = shot.crop(self.page.child(control).rect)
            return [i for i, c in enumerate(crop.colours()) if sum(c) < 300], crop.width

        for mode in (0, 1, 2, 3, 4):
            dark, _ = ink(TEXT0 + mode)
            self.assertTrue(dark, "mode %d draws its text" % mode)
        self.assertEqual(ink(TEXT0 + 5)[0], [], "mode 5 draws no text")
        # Mode 1 starts at the left edge, mode 2 is centred: its first ink is well right of mode 1's.
        first_left = min(i % ink(TEXT0 + 1)[1] for i in ink(TEXT0 + 1)[0])
        first_centred = min(i % ink(TEXT0 + 2)[1] for i in ink(TEXT0 + 2)[0])
        self.assertLess(first_left, 5)
        self.assertGreater(first_centred, 40)

    def test_escape_closes_an_ordinary_dialog(self):
        # The keys do reach the windows: a dialog that does not swallow them closes on Escape.
        gui = self.gui
        gui.move(*self.page.child(TEXT0).center())
        gui.click(*self.page.child(TEXT0 + 5).center())
        gui.key("Escape")
        self.expect("closed 2")
        self.assertEqual(self.program.wait(), 0)

    def test_a_handler_that_throws_is_logged_and_the_program_goes_on(self):
        # Clicks on a control and on a window whose handlers throw: each failure is caught where the system
        # called in and logged, the click gets the default processing, and the window still closes on Escape.
        gui = self.gui
        log = os.path.join(gui.prefix, "drive_c", "ProgramData", "ToolLog", "videzure.txt")

        def log_bytes():
            try:
                with open(log, "rb") as f:
                    return f.read()
            except FileNotFoundError:
                return b""

        before = log_bytes()
        program = gui.start(gui.program(GALLERY), "guard")
        self.addCleanup(program.kill)
        program.expect_text("ready")
        window = gui.wait_window(GALLERY, lambda w: w.child(THROWING) is not None, what="guard window")
        gui.click(*window.child(THROWING).center())
        gui.click(*window.at(300, 200))
        gui.key("Escape")
        program.expect_text("closed 2")
        self.assertEqual(program.wait(), 0)
        added = log_bytes()[len(before):].decode("gbk")
        self.assertIn("未处理的异常（window message 0x0201）：std::bad_alloc\r\n", added)
        self.assertIn("未处理的异常（window message 0x0201）：window handler failed\r\n", added)


if __name__ == "__main__":
    guitest.run_tests()
