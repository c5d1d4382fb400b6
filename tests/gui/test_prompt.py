#!/usr/bin/python3
"""Message prompt with real input at 96 dpi: which buttons each kind shows, what they return, the close cross,
Enter and Escape, a system close (Alt+F4), dragging by the top strip, centring, and the failures it must survive."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import guitest  # noqa: E402

GALLERY = "gallery.exe"
CLOSE, TEXT, FIRST, SECOND = 1005, 1006, 1007, 1008
# Pictures of the prompt buttons, normal and hover.
CONFIRM, CONFIRM_HOVER, CANCEL, CLOSE_CROSS, NO, YES = 171, 172, 162, 165, 168, 174


class PromptTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.gui = guitest.Session("prompt", dpi=96)
        cls.gui.__enter__()
        cls.work = cls.gui.screen_info["work"]

    @classmethod
    def tearDownClass(cls):
        cls.gui.__exit__(None, None, None)

    def open_prompt(self, kind, text, *options):
        gui = self.gui
        gui.move(5, 5)  # away from where the buttons will appear
        program = gui.start(gui.program(GALLERY), "prompt", kind, text, *options)
        self.addCleanup(program.kill)
        content = gui.wait_window(GALLERY, lambda w: w.child(TEXT) is not None, what="prompt content")
        frame = gui.owner_of(GALLERY, content)
        self.assertIsNotNone(frame, "the content window is owned by the prompt frame")
        return program, frame, content

    def button_picture(self, button):
        """Name of the skin picture the button shows now."""
        crop = self.gui.grab().crop(button.rect)
        pictures = {pid: guitest.skin_picture_mean(pid) for pid in (CONFIRM, CONFIRM_HOVER, CANCEL, NO, YES)}
        return guitest.nearest(crop.mean(), pictures)

    def assertPicture(self, button, picture):
        """Waits (a few seconds at most) for the button to show the picture."""
        seen = []

        def shows():
            seen.append(self.button_picture(button))
            return seen[-1] == picture

        try:
            self.gui.wait_for(shows, timeout=5, what="picture %d" % picture)
        except guitest.GuiTestError:
            self.fail("control %d shows picture %s, not %d" % (button.id, seen[-1], picture))

    def hover_and_wait(self, button):
        """Puts the pointer on the button and waits for its hover picture: every input sent before has then been
        handled by the prompt."""
        self.gui.move(*button.center())
        self.gui.wait_for(lambda: self.button_picture(button) == CONFIRM_HOVER, what="hover picture of 确认")

    def assertFrameAroundContent(self, frame, content, s=1.0):
        # The frame follows its content: 5, 3, 5 and 7 design pixels around it.
        insets = (int(5 * s), int(3 * s), int(5 * s), int(7 * s))
        self.assertEqual(frame.rect, [content.rect[0] - insets[0], content.rect[1] - insets[1],
                                      content.rect[2] + insets[2], content.rect[3] + insets[3]])

    def test_confirm_prompt_shows_one_centred_button_that_returns_1(self):
        gui = self.gui
        program, frame, content = self.open_prompt(3, "工具初始化失败")
        self.assertEqual(frame.size(), (336, 156))
        self.assertFrameAroundContent(frame, content)
        # Without an owner it is centred on the work area.
        centre = ((self.work[0] + self.work[2]) // 2, (self.work[1] + self.work[3]) // 2)
        self.assertLessEqual(abs(frame.center()[0] - centre[0]), 1)
        self.assertLessEqual(abs(frame.center()[1] - centre[1]), 1)

        first, second = content.child(FIRST), content.child(SECOND)
        self.assertTrue(first.visible)
        self.assertFalse(second.visible, "kind 3 has no second button")
        client_centre = (content.client[0] + content.client[2]) // 2
        self.assertLessEqual(abs(first.center()[0] - client_centre), 1, "确认 is centred")
        self.assertEqual(content.child(TEXT).text, "工具初始化失败")
        self.assertPicture(first, CONFIRM)
        gui.screenshot("confirm-prompt", frame.rect)

        self.hover_and_wait(first)
        gui.screenshot("confirm-prompt-hover", frame.rect)
        gui.press(*first.center())
        gui.wait_for(lambda: self.button_picture(first) != CONFIRM_HOVER, what="pressed picture")
        gui.screenshot("confirm-prompt-pressed", frame.rect)
        gui.release()
        self.assertEqual(program.wait(), 1)
        self.assertIn("result 1", program.output())

    def test_close_cross_returns_2(self):
        gui = self.gui
        program, frame, content = self.open_prompt(3, "获取设备驱动失败")
        cross = content.child(CLOSE)
        self.assertEqual(cross.size(), (12, 12))
        self.assertEqual(cross.rect[2], content.client[2] - 14)
        gui.move(*cross.center())
        gui.screenshot("close-cross-hover", frame.rect)
        gui.click(*cross.center())
        self.assertEqual(program.wait(), 2)

    def test_yes_no_prompt_shows_yes_left_and_no_right_and_no_returns_2(self):
        gui = self.gui
        program, frame, content = self.open_prompt(2, "是否要卸载该驱动？")
        first, second = content.child(FIRST), content.child(SECOND)
        self.assertTrue(first.visible and second.visible)
        client_centre = (content.client[0] + content.client[2]) // 2
        self.assertLess(first.rect[2], client_centre, "是 stands left of centre")
        self.assertGreater(second.rect[0], client_centre, "否 stands right of centre")
        self.assertEqual(first.rect[1], second.rect[1])
        self.assertPicture(first, YES)
        self.assertPicture(second, NO)
        gui.screenshot("yes-no-prompt", frame.rect)
        gui.click(*second.center())
        self.assertEqual(program.wait(), 2)

    def test_yes_returns_1_and_confirm_cancel_kind_shows_both(self):
        gui = self.gui
        program, frame, content = self.open_prompt(2, "是否要卸载该驱动？")
        gui.click(*content.child(FIRST).center())
        self.assertEqual(program.wait(), 1)

        program, frame, content = self.open_prompt(4, "确认还是取消？")
        first, second = content.child(FIRST), content.child(SECOND)
        self.assertTrue(first.visible and second.visible)
        self.assertPicture(first, CONFIRM)
        self.assertPicture(second, CANCEL)
        gui.screenshot("confirm-cancel-prompt", frame.rect)
        gui.click(*second.center())
        self.assertEqual(program.wait(), 2)

    def test_keys_answer_as_on_any_dialog_and_a_question_opens_on_no(self):
        gui = self.gui
        # Enter presses the focused 确认.
        program, frame, content = self.open_prompt(3, "回车键按下确认")
        gui.click(*content.child(TEXT).center())
        gui.key("Return")
        self.assertEqual(program.wait(), 1)
        # A question opens on 否: a stray Space answers 否; Tab then Enter answers 是.
        program, frame, content = self.open_prompt(2, "空格键不应回答是")
        self.assertEqual([content.child(FIRST).text, content.child(SECOND).text], ["是", "否"])
        gui.click(*content.child(TEXT).center())
        gui.key("space")
        self.assertEqual(program.wait(), 2)
        program, frame, content = self.open_prompt(2, "Tab 再回车回答是")
        gui.click(*content.child(TEXT).center())
        gui.key("Tab", "Return")
        self.assertEqual(program.wait(), 1)
        # Esc answers as the close cross.
        program, frame, content = self.open_prompt(2, "退出键回答否")
        gui.click(*content.child(TEXT).center())
        gui.key("Escape")
        self.assertEqual(program.wait(), 2)
        # Alt+F4 ends the prompt with the close cross's answer, frame and content together.
        program, frame, content = self.open_prompt(3, "系统关闭")
        gui.click(*content.child(TEXT).center())
        gui.key("alt+F4")
        self.assertEqual(program.wait(), 2)

    def test_dragging_the_top_strip_moves_the_frame_along(self):
        gui = self.gui
        program, frame, content = self.open_prompt(3, "拖动标题栏")
        start = content.at(60, 12)
        gui.drag(start, (start[0] + 150, start[1] + 80))
        moved = gui.wait_window(GALLERY, lambda w: w.hwnd == content.hwnd and w.rect != content.rect,
                                what="content moved by the drag")
        self.assertEqual(moved.rect, [content.rect[0] + 150, content.rect[1] + 80, content.rect[2] + 150,
                                      content.rect[3] + 80])
        frame_now = gui.owner_of(GALLERY, moved)
        self.assertFrameAroundContent(frame_now, moved)
        gui.screenshot("prompt-after-drag", frame_now.rect)

        # The rightmost 26 pixels of the strip (beside the close cross) do not drag.
        corner = moved.at(moved.client[2] - moved.client[0] - 5, 25)
        gui.drag(corner, (corner[0] - 200, corner[1] + 100))
        self.hover_and_wait(moved.child(FIRST))
        self.assertEqual(gui.refresh(GALLERY, moved).rect, moved.rect)
        self.assertEqual(gui.refresh(GALLERY, frame_now).rect, frame_now.rect)
        gui.click(*moved.child(FIRST).center())
        self.assertEqual(program.wait(), 1)

    def test_prompt_with_an_owner_is_centred_over_it(self):
        program, frame, content = self.open_prompt(3, "在所有者窗口上居中", "--owner")
        owner = [w for w in self.gui.windows(GALLERY) if w.text == "陈列所有者"][0]
        self.assertFalse(owner.enabled, "the owner is disabled while the prompt runs")
        self.assertLessEqual(abs(frame.center()[0] - owner.center()[0]), 1)
        self.assertLessEqual(abs(frame.center()[1] - owner.center()[1]), 1)
        self.gui.screenshot("prompt-over-owner", owner.rect)
        self.gui.click(*content.child(FIRST).center())
        self.assertEqual(program.wait(), 1)

    def test_kind_outside_1_to_4_shows_the_plain_message(self):
        for kind in (0, 7):
            program, frame, content = self.open_prompt(kind, "未知的提示类型 %d" % kind)
            first, second = content.child(FIRST), content.child(SECOND)
            self.assertTrue(first.visible)
            self.assertFalse(second.visible)
            self.assertPicture(first, CONFIRM)
            self.gui.click(*first.center())
            self.assertEqual(program.wait(), 1)

    def test_missing_frame_picture_still_shows_the_question(self):
        gui = self.gui
        program, frame, content = self.open_prompt(2, "外框图片缺失时仍可回答", "--missing-frame")
        self.assertEqual(frame.size(), (336, 156))
        gui.screenshot("prompt-without-frame-picture", frame.rect)
        gui.click(*content.child(SECOND).center())
        self.assertEqual(program.wait(), 2)


if __name__ == "__main__":
    guitest.run_tests()
