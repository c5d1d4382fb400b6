#!/usr/bin/python3
"""The main window of the real tool with real input: the agreement window that its link toggles and clicks
elsewhere close, the agree check box driving the start button, dragging by the top strip with the frame
following, the more-tools button, the feedback link, minimising, and the ordinary exit that asks whether the
problem was solved and then removes the tool's own files.

main_window_tests(prefix) makes the cases at 96 dpi for one Wine prefix; test_main_window_win32.py and
test_main_window_win64.py run them. Run directly, this file checks the agreement window's place and the drag strip
at 120 dpi (scale factor 1.2) in both prefixes, 144 and 192 dpi in one each."""

import os
import struct
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import guitest  # noqa: E402
import tool  # noqa: E402

TOOL_ARGS = ["10102", "1.1.21.104"]
ARTICLE = "https://kb.varunel.com/detail/dc_172545.html"
CHECK_PICTURE = 141  # the empty box at x 0, the ticked box at x 16
# Program folder names the self-removal must take literally.
ODD_FOLDER = "驱动 卸载 A&B^C 100%(1) 工具"
DECOY = "我的文件 & 100%.txt"
# What the library is told for each answer to the problem-solved question.
CHOICE = {tool.FEEDBACK_SOLVED: 1, tool.FEEDBACK_NOT_SOLVED: 2}


def f32(value):
    """The value as a single-precision float, as the tool computes scaled sizes."""
    return struct.unpack("f", struct.pack("f", value))[0]


def trunc(value):
    return int(value)


def scale_of(dpi):
    # The tool's scale factor: dots per inch / 100 above 100 dpi, else 1.
    return f32(dpi / 100.0) if dpi > 100 else 1.0


def shifted(rect, dx, dy):
    return [rect[0] + dx, rect[1] + dy, rect[2] + dx, rect[3] + dy]


def client_point(main, x, y):
    return (main.client[0] + x, main.client[1] + y)


class MainWindowChecks:
    """Helpers shared by the test cases; the class using them sets self.gui and self.s."""

    last_click = 0.0

    def click(self, point):
        """A single click: a press soon after the one before would be a double click, which the main window does
        not take as a press."""
        time.sleep(max(0.0, self.last_click + 0.7 - time.monotonic()))
        self.gui.click(*point)
        self.last_click = time.monotonic()

    def start_tool(self, **options):
        type(self).runs += 1
        run = tool.Tool(self.gui, self.prefix_name, name="run%02d" % type(self).runs, **options)
        self.addCleanup(run.program.kill)
        main = run.wait_main_window()
        # The one-time new-version question has been answered: nothing else of start-up is pending.
        run.wait_journal("GetToolIsNewVersion")
        return run, main

    # -- the agreement window

    def agreement(self, run):
        """(balloon, content) of the agreement window as they are now, shown or not; None before it exists."""
        tops = run.windows()
        for content in tops:
            if any(c.cls == "RichEdit20W" for c in content.children):
                balloon = [w for w in tops if w.hwnd == content.owner]
                return (balloon[0] if balloon else None), content
        return None

    def wait_agreement_shown(self, run):
        content = self.gui.wait_window(tool.EXE, lambda w: any(c.cls == "RichEdit20W" for c in w.children),
                                       what="the agreement window")
        balloon = self.gui.owner_of(tool.EXE, content)
        self.assertIsNotNone(balloon, "the agreement text sits in its balloon")
        self.assertTrue(balloon.visible)
        return balloon, content

    def agreement_hidden(self, run):
        return not any(w is not None and w.visible for w in self.agreement(run) or ())

    def wait_agreement_hidden(self, run, what):
        self.gui.wait_for(lambda: self.agreement_hidden(run), what=what)

    def click_to_hide_agreement(self, run, point, what):
        """Clicks outside the agreement window and waits for it to close."""
        self.click(point)
        self.wait_agreement_hidden(run, what)

    def assertAgreementShown(self, run, shown, what):
        windows = self.agreement(run)
        self.assertIsNotNone(windows)
        self.assertEqual([w.visible for w in windows], [shown, shown], what)

    def expected_agreement_rect(self, main):
        """270 design pixels left of the main window's middle, 430 above its bottom, 541 x 402 design pixels."""
        s = self.s
        left = trunc(f32(main.width // 2 - f32(270 * s))) + main.rect[0]
        top = trunc(f32(main.height - f32(430 * s))) + main.rect[1]
        return [left, top, left + trunc(f32(541 * s)), top + trunc(f32(402 * s))]

    def check_agreement_place(self, run, main):
        """Opens the agreement by its link and checks its place over the main window; returns (balloon,
        content)."""
        self.assertIsNone(self.agreement(run), "the agreement window is made on the first click")
        self.click(main.child(tool.AGREEMENT_LINK).center())
        balloon, content = self.wait_agreement_shown(run)
        self.assertEqual(balloon.rect, self.expected_agreement_rect(main))
        self.assertEqual(balloon.owner, main.hwnd, "the main window owns the agreement window")
        self.gui.screenshot("agreement-%d" % self.gui.dpi, run.frame_of(main).rect)
        return balloon, content

    # -- the drag strip

    def drag_and_settle(self, main, start, offset):
        """Drags from start by offset and returns the main window once it has moved and settled."""
        self.gui.drag(start, (start[0] + offset[0], start[1] + offset[1]))
        return self.gui.wait_window(tool.EXE, lambda w: w.hwnd == main.hwnd and w.rect != main.rect,
                                    what="the main window to move")

    def check_drag_strip(self, run, main):
        """The strip at the top of the client area, without its right-most 86 design pixels, drags the main window
        and its frame together; the rest of the top does not."""
        s, gui = self.s, self.gui
        frame = run.frame_of(main)
        width = main.client[2] - main.client[0]
        strip_right, strip_bottom = width - trunc(86 * s), trunc(30 * s)
        minimise = main.child(tool.MINIMISE)
        self.assertGreater(minimise.rect[0] - main.client[0], strip_right + 4, "a gap between strip and button")

        moved = self.drag_and_settle(main, client_point(main, trunc(150 * s), strip_bottom // 2), (-120, 90))
        self.assertEqual(moved.rect, shifted(main.rect, -120, 90))
        self.assertEqual(gui.refresh(tool.EXE, frame).rect, shifted(frame.rect, -120, 90), "the frame follows")

        # Right of the strip (between it and the minimise button) and just below it: no drag. The drag that
        # follows tells: the windows end where the last drag alone takes them.
        gap = ((strip_right + minimise.rect[0] - main.client[0]) // 2, strip_bottom // 2)
        gui.drag(client_point(moved, *gap), client_point(moved, gap[0] + 100, gap[1] + 100))
        gui.drag(client_point(moved, trunc(100 * s), strip_bottom), client_point(moved, trunc(200 * s), 200))
        # The strip's inner corner still drags.
        again = self.drag_and_settle(moved, client_point(moved, strip_right - 1, strip_bottom - 1), (60, -40))
        self.assertEqual(again.rect, shifted(main.rect, -60, 50))
        self.assertEqual(gui.refresh(tool.EXE, frame).rect, shifted(frame.rect, -60, 50), "the frame follows")
        gui.screenshot("dragged-%d" % gui.dpi, gui.refresh(tool.EXE, frame).rect)
        return again


def main_window_tests(prefix_name):
    class MainWindowTest(MainWindowChecks, unittest.TestCase):
        @classmethod
        def setUpClass(cls):
            cls.prefix_name = prefix_name
            cls.gui = guitest.Session("main-window-" + prefix_name, dpi=96,
                                      prefix_template=tool.prefix_template(prefix_name))
            cls.gui.__enter__()
            cls.s = 1.0
            cls.runs = 0

        @classmethod
        def tearDownClass(cls):
            cls.gui.__exit__(None, None, None)

        # -- the agreement window

        def test_agreement_link_toggles_it_and_clicks_elsewhere_close_it(self):
            gui = self.gui
            # A rich-edit library of the same name beside the program (as a download folder may hold) is never
            # the one loaded for the agreement's text box; Wine is told to prefer it, as Windows would.
            planted = os.path.join(os.path.abspath(guitest.BUILD_DIR), "win32", "bin", "planted", "riched20.dll")
            run, main = self.start_tool(files={"riched20.dll": planted}, env={"WINEDLLOVERRIDES": "riched20=n,b"})
            link = main.child(tool.AGREEMENT_LINK)
            self.assertEqual(link.text, "《Varunel服务工具使用许可协议》")
            balloon, content = self.check_agreement_place(run, main)
            self.assertFalse(os.path.exists(os.path.join(run.folder, "planted-riched20.dll.txt")),
                             "the library beside the program was loaded")
            self.assertEqual((balloon.rect[0] - main.rect[0], balloon.rect[1] - main.rect[1]), (130, 170))
            self.assertEqual(balloon.size(), (541, 402))

            # The link again: closed.
            self.click(link.center())
            self.wait_agreement_hidden(run, "the second click on the link to close it")
            self.click(link.center())
            again = self.wait_agreement_shown(run)
            self.assertEqual([w.hwnd for w in again], [balloon.hwnd, content.hwnd], "made once, then reused")
            self.assertEqual(again[0].rect, balloon.rect)

            # Clicks inside the balloon (its text and its scroll bar) keep it; the next click on the link then
            # closes it, which it would open again had those clicks closed it.
            text = [c for c in content.children if c.cls == "RichEdit20W"][0]
            bar = [c for c in content.children if c.cls == "ScrollBar" and c.visible][0]
            self.click(text.center())
            self.click((bar.center()[0], bar.rect[3] - 5))
            self.assertAgreementShown(run, True, "a click inside the balloon keeps it")
            self.click(link.center())
            self.wait_agreement_hidden(run, "the link to close it after the clicks inside")
            self.assertAgreementShown(run, False, "still closed")

            # A click on the main window away from the link and the balloon closes it: on its own area, on the
            # title strip, on the start page.
            for what, point in (("its own area", client_point(main, 740, 450)),
                                ("the title strip", client_point(main, 400, 10)),
                                ("a page", client_point(main, 60, 60))):
                with self.subTest(what):
                    self.click(link.center())
                    self.wait_agreement_shown(run)
                    self.click_to_hide_agreement(run, point, "a click on %s to close it" % what)
                    self.assertEqual(gui.refresh(tool.EXE, main).rect, main.rect, "the window stays put")

        def test_a_click_outside_the_main_window_closes_the_agreement(self):
            gui = self.gui
            run, main = self.start_tool()
            link = main.child(tool.AGREEMENT_LINK)
            self.click(link.center())
            self.wait_agreement_shown(run)
            # Another program's window: the X root window itself tells Wine nothing about clicks.
            other = gui.start("notepad")
            self.addCleanup(other.kill)
            notepad = gui.wait_window("notepad.exe", lambda w: w.cls == "Notepad", what="another program's window")
            point = (notepad.client[0] + 10, notepad.client[1] + 10)
            self.assertFalse(main.rect[0] <= point[0] < main.rect[2] and main.rect[1] <= point[1] < main.rect[3])
            self.click_to_hide_agreement(run, point, "a click on another program to close the agreement")
            other.kill()
            gui.wait_gone("notepad.exe", lambda w: w.cls == "Notepad", what="the other program to end")
            # The tool goes on as before.
            self.click(link.center())
            self.wait_agreement_shown(run)

            # Its own frame lies outside the main window too: a click on its rim closes the agreement, and the
            # main window still takes clicks afterwards.
            frame = run.frame_of(main)
            rim = (frame.rect[0] + 1, (main.rect[1] + main.rect[3]) // 2)
            self.assertLess(rim[0], main.rect[0])
            self.click_to_hide_agreement(run, rim, "a click on the frame's rim to close the agreement")
            self.click(main.child(tool.FEEDBACK_LINK).center())
            run.wait_journal("FeedbackQuestion")
            self.click(link.center())
            self.wait_agreement_shown(run)

        # -- the agree check box

        def test_agree_box_enables_and_disables_the_start_button(self):
            gui = self.gui
            run, main = self.start_tool()
            box = main.child(tool.AGREE)
            # The box picture's square: 16 pixels at the left, vertically centred.
            middle = box.rect[1] + box.height // 2
            square = [box.rect[0], middle - 8, box.rect[0] + 16, middle + 8]
            pictures = {False: guitest.skin_picture_mean(CHECK_PICTURE, region=(0, 0, 16, 16)),
                        True: guitest.skin_picture_mean(CHECK_PICTURE, region=(16, 0, 32, 16))}

            def ticked():
                return guitest.nearest(gui.grab().crop(square).mean(), pictures)

            def button_enabled():
                return gui.refresh(tool.EXE, main).child(tool.START_BUTTON).enabled

            self.assertTrue(ticked(), "ticked at start")
            self.assertTrue(button_enabled())
            gui.click(*box.center())
            gui.wait_for(lambda: not ticked(), what="the box unticked")
            gui.wait_for(lambda: not button_enabled(), what="the start button disabled")
            gui.click(*box.center())
            gui.wait_for(ticked, what="the box ticked again")
            gui.wait_for(button_enabled, what="the start button enabled again")

            # Bursts of quick clicks (double clicks among them): the button ends in step with the box.
            for burst in range(2):
                gui.move(*box.center())
                gui.xdotool("click", "--repeat", "5", "--delay", "40", "1")
                looks = []

                def settled():
                    looks.append((ticked(), button_enabled()))
                    return len(looks) >= 5 and len(set(looks[-5:])) == 1 and looks[-1][0] == looks[-1][1]

                try:
                    gui.wait_for(settled, timeout=15, what="box and button in step", interval=0.2)
                except guitest.GuiTestError:
                    self.fail("after burst %d: (ticked, enabled) looks %s" % (burst + 1, looks[-6:]))

        # -- the top strip

        def test_dragging_the_top_strip_moves_the_main_window_and_its_frame(self):
            run, main = self.start_tool()
            moved = self.check_drag_strip(run, main)
            # The moved window still works.
            self.assertEqual(run.close(moved), 0)

        def test_system_close_after_a_drag_asks_in_the_middle_of_the_screen_and_removes_the_tool(self):
            gui = self.gui
            run, main = self.start_tool(folder_name=ODD_FOLDER)
            frame = run.frame_of(main)
            moved = self.drag_and_settle(main, client_point(main, 150, 15), (-300, -200))
            # Alt+F4 on the main window takes the close button's road. The keyboard focus goes to the window with a
            # control that takes it: the agree box, clicked twice to leave it ticked.
            self.click(moved.child(tool.AGREE).center())
            self.click(moved.child(tool.AGREE).center())
            gui.key("alt+F4")
            question = run.wait_feedback_window()
            question_frame = gui.owner_of(tool.EXE, question)
            # Centred on the screen's work area, not on the main window the user moved.
            work = gui.screen_info["work"]
            centre = ((work[0] + work[2]) // 2, (work[1] + work[3]) // 2)
            self.assertLessEqual(abs(question_frame.center()[0] - centre[0]), 1)
            self.assertLessEqual(abs(question_frame.center()[1] - centre[1]), 1)
            self.assertGreater(abs(question_frame.center()[1] - moved.center()[1]), 100)
            # The content 5, 3, 5 and 7 pixels inside its frame, once the frame was centred.
            self.assertEqual(question.rect, [question_frame.rect[0] + 5, question_frame.rect[1] + 3,
                                             question_frame.rect[2] - 5, question_frame.rect[3] - 7])
            # Nothing of the main window is left behind on its own: it and its frame are still both shown.
            self.assertTrue(gui.refresh(tool.EXE, moved).visible)
            self.assertTrue(gui.refresh(tool.EXE, frame).visible)
            gui.screenshot("system-close-question", question_frame.rect)
            gui.click(*question.child(tool.FEEDBACK_SOLVED).center())
            self.assertEqual(run.wait(), 0)
            self.assertEqual([c[:4] for c in run.journal()[2:]], [["CustomerFeedbackEx"] + TOOL_ARGS + ["1"],
                                                                  ["FeedbackQuestion"] + TOOL_ARGS])
            self.wait_removed(run)

        # -- the buttons and the feedback link

        def test_more_tools_feedback_link_and_minimise(self):
            gui = self.gui
            run, main = self.start_tool()
            gui.click(*main.child(tool.MORE_TOOLS).center())
            self.assertEqual(run.wait_journal("OpenUrl"), ["OpenUrl", ARTICLE])
            feedback = main.child(tool.FEEDBACK_LINK)
            self.assertEqual(feedback.text, "反馈问题")
            gui.click(*feedback.center())
            self.assertEqual(run.wait_journal("FeedbackQuestion"), ["FeedbackQuestion"] + TOOL_ARGS)
            self.assertEqual(run.journal(), [["InitFreedbackDll"], ["GetToolIsNewVersion"] + TOOL_ARGS,
                                             ["OpenUrl", ARTICLE], ["Open", ARTICLE, "recorded"],
                                             ["FeedbackQuestion"] + TOOL_ARGS])
            self.assertIsNone(self.agreement(run), "neither opens the agreement")

            frame = run.frame_of(main)
            gui.click(*main.child(tool.MINIMISE).center())

            def minimised():
                now_frame, now_main = gui.refresh(tool.EXE, frame), gui.refresh(tool.EXE, main)
                return now_frame.style & 0x20000000 and not now_main.visible  # WS_MINIMIZE

            gui.wait_for(minimised, what="the frame minimised and the main window hidden")
            self.assertTrue(run.program.running())

        # -- the ordinary exit

        def close_and_answer(self, run, main, answer):
            gui = self.gui
            gui.click(*main.child(tool.CLOSE).center())
            question = run.wait_feedback_window()
            for control_id in (tool.FEEDBACK_MORE, tool.FEEDBACK_CLOSE, tool.FEEDBACK_SOLVED,
                               tool.FEEDBACK_NOT_SOLVED):
                self.assertIsNotNone(question.child(control_id), "button %d" % control_id)
            self.assertTrue(run.program.running(), "the question comes before the end")
            gui.screenshot("exit-question", gui.owner_of(tool.EXE, question).rect)
            asked = time.time()
            gui.click(*question.child(answer).center())
            self.assertEqual(run.wait(), 0)
            calls = run.journal()[2:]
            self.assertEqual([c[:4] for c in calls], [["CustomerFeedbackEx"] + TOOL_ARGS + [str(CHOICE[answer])],
                                                      ["FeedbackQuestion"] + TOOL_ARGS])
            self.assertLessEqual(abs(int(calls[0][4]) - asked), 30, "the moment of the answer in seconds")

        def wait_removed(self, run):
            shipped = set(tool.shipped_files(self.gui, self.prefix_name))

            def removed():
                return not os.path.isdir(run.folder) or not shipped & set(os.listdir(run.folder))

            try:
                self.gui.wait_for(removed, timeout=15, what="the tool's files removed", interval=0.25)
            except guitest.GuiTestError:
                self.fail("still in the program folder: %s" % sorted(os.listdir(run.folder)))
            # Nothing beside the program folder is touched.
            self.assertEqual(sorted(set(os.listdir(run.root)) - {os.path.basename(run.folder)}), ["feedback", "sim"])

        def test_exit_removes_the_program_folder_that_holds_only_the_tool(self):
            run, main = self.start_tool(folder_name=ODD_FOLDER)
            self.assertEqual(sorted(os.listdir(run.folder)), sorted(tool.shipped_files(self.gui, self.prefix_name)))
            self.close_and_answer(run, main, tool.FEEDBACK_SOLVED)
            self.wait_removed(run)
            self.gui.wait_for(lambda: not os.path.exists(run.folder), timeout=5, what="the empty folder removed")

        def test_exit_keeps_the_users_file_and_with_it_the_folder(self):
            decoy = os.path.join(self.gui.work, "decoy.txt")
            with open(decoy, "w", encoding="utf-8") as f:
                f.write("the user's own file\n")
            run, main = self.start_tool(folder_name=ODD_FOLDER, files={DECOY: decoy})
            self.close_and_answer(run, main, tool.FEEDBACK_NOT_SOLVED)
            self.wait_removed(run)
            self.assertEqual(os.listdir(run.folder), [DECOY])
            with open(os.path.join(run.folder, DECOY), encoding="utf-8") as f:
                self.assertEqual(f.read(), "the user's own file\n")

        def test_exit_for_a_newer_version_leaves_the_program_folder(self):
            run = tool.Tool(self.gui, self.prefix_name, name="newer", folder_name=ODD_FOLDER,
                            feedback={"update": {"newer": "1"}})
            self.addCleanup(run.program.kill)
            run.answer_prompt(run.wait_prompt("检测到当前工具有新的版本更新，请下载最新版本使用。"))
            self.assertEqual(run.wait(), 0)
            self.assertEqual([c[0] for c in run.journal()], ["InitFreedbackDll", "GetToolIsNewVersion",
                                                             "OpenToolDownUrl", "Open"])
            self.assertEqual(removal_commands(self.gui), [], "no removal started")
            # Longer than the removal waits before it deletes anything.
            time.sleep(6)
            self.assertEqual(sorted(os.listdir(run.folder)), sorted(tool.shipped_files(self.gui, self.prefix_name)))

    return MainWindowTest


def removal_commands(gui):
    """Command lines of the self-removal interpreters running in the session's prefix."""
    found = []
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open("/proc/%s/environ" % pid, "rb") as f:
                environment = f.read().split(b"\0")
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                command = f.read().replace(b"\0", b" ").decode("utf-8", "replace")
        except OSError:
            continue
        if b"WINEPREFIX=" + gui.prefix.encode() in environment and "TOLVIK_REMOVE_FOLDER" in command:
            found.append(command)
    return found


class MainWindowScaled(MainWindowChecks, unittest.TestCase):
    """At 120, 144 and 192 dpi the design pixels are scaled by 1.2, 1.44 and 1.92: the agreement window's place
    and size, and the drag strip."""

    def check(self, prefix_name, dpi):
        self.prefix_name = prefix_name
        type(self).runs = 0
        self.gui = guitest.Session("main-window-%d-%s" % (dpi, prefix_name), dpi=dpi,
                                   prefix_template=tool.prefix_template(prefix_name))
        self.gui.__enter__()
        self.addCleanup(self.gui.__exit__, None, None, None)
        self.s = scale_of(dpi)
        run, main = self.start_tool()
        balloon, content = self.check_agreement_place(run, main)
        if dpi == 120:
            self.assertEqual(main.size(), (959, 719))
            self.assertEqual(balloon.rect, [main.rect[0] + 155, main.rect[1] + 203, main.rect[0] + 155 + 649,
                                            main.rect[1] + 203 + 482])
        self.click(main.child(tool.AGREEMENT_LINK).center())
        self.wait_agreement_hidden(run, "the second click on the link to close it")
        self.check_drag_strip(run, main)

    def test_120_win32(self):
        self.check("win32", 120)

    def test_120_win64(self):
        self.check("win64", 120)

    def test_144_win32(self):
        self.check("win32", 144)

    def test_192_win64(self):
        self.check("win64", 192)


if __name__ == "__main__":
    guitest.run_tests()
