"""The tool worked with the keyboard alone, as on any Windows dialog: the whole road from the agreement to the
result and the exit without a mouse (Tab order, the focus after the page switch, focus cues, Space, Enter and
Esc, a question that opens on 否), the way out of a scan whose Device Console hangs, and one tool at a time.

keyboard_tests(prefix) makes the cases for one Wine prefix; test_keyboard_win32.py and test_keyboard_win64.py run
them."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import guitest  # noqa: E402
import pagetest  # noqa: E402
import tool  # noqa: E402

PROGRESS_TEXT = 1000
DEVICE = "Intel(R) UHD Graphics 630"
PACKAGE = "oem12.inf"


class KeyboardChecks:
    """Helpers; the class using them sets self.gui and self.prefix_name."""

    def start_tool(self, name, pc=tool.DEMO_PC):
        run = tool.Tool(self.gui, self.prefix_name, name=name, pc=pc)
        self.addCleanup(run.program.kill)
        main = run.wait_main_window()
        run.wait_journal("GetToolIsNewVersion")
        return run, main

    def focused(self, run):
        """The control (or window) holding the keyboard focus, as the probe lists it; None when none of the tool's."""
        focus = self.gui.focus()
        for top in run.windows():
            for w in [top] + top.children:
                if w.hwnd == focus:
                    return w
        return None

    def wait_focus(self, run, control_id, what):
        return self.gui.wait_for(lambda: (lambda w: w if w is not None and w.id == control_id else None)(
            self.focused(run)), timeout=10, what=what)

    def press(self, *keys):
        for key in keys:
            self.gui.key(key)
            time.sleep(0.25)

    def tree(self, main):
        return self.gui._ask("tree %d" % main.child(tool.TREE).hwnd)

    def rows(self, main):
        return self.gui._ask("rows %d" % main.child(tool.LIST).hwnd)[1:]


def keyboard_tests(prefix_name):
    class KeyboardTest(KeyboardChecks, unittest.TestCase):
        @classmethod
        def setUpClass(cls):
            cls.prefix_name = prefix_name
            cls.gui = guitest.Session("keyboard-" + prefix_name, dpi=96,
                                      prefix_template=tool.prefix_template(prefix_name))
            cls.gui.__enter__()

        @classmethod
        def tearDownClass(cls):
            cls.gui.__exit__(None, None, None)

        def test_the_whole_road_without_a_mouse(self):
            gui = self.gui
            run, main = self.start_tool("road")
            start = main.child(tool.START_BUTTON)
            self.wait_focus(run, tool.START_BUTTON, "the focus on 开始运行 at start")
            unfocused = gui.grab(start.rect)

            # One Tab order through the main window and its page, links included; the cue shows once a key is used.
            order = []
            for _ in range(7):
                self.press("Tab")
                order.append(self.focused(run).id)
            self.assertEqual(order, [tool.CLOSE, tool.MINIMISE, tool.MORE_TOOLS, tool.AGREE, tool.AGREEMENT_LINK,
                                     tool.FEEDBACK_LINK, tool.START_BUTTON])
            gui.wait_picture(start.rect, lambda crop: crop.rgb != unfocused.rgb, what="the focus cue on 开始运行")

            # Enter on the agreement link opens the agreement window; Esc closes it.
            self.press("shift+Tab", "shift+Tab", "Return")
            agreement = gui.wait_window(tool.EXE, lambda w: any(c.cls == "RichEdit20W" for c in w.children),
                                        what="the agreement window")
            self.press("Escape")
            gui.wait_for(lambda: not gui.refresh(tool.EXE, agreement).visible, what="the agreement window to close")

            # Space on 开始运行 detects; the focus lands on the tree, its first device selected.
            journal = len(run.devcon_journal())
            self.press("Tab", "Tab")
            self.wait_focus(run, tool.START_BUTTON, "the focus back on 开始运行")
            self.press("space")
            main = gui.wait_window(tool.EXE, lambda w: w.child(tool.TREE) is not None and w.child(tool.TREE).visible,
                                   timeout=120, what="the selection page")
            self.wait_focus(run, tool.TREE, "the focus on the tree after the switch")
            nodes = self.tree(main)
            self.assertEqual([n["text"] for n in nodes if n["selected"]], [pagetest.DEMO_TREE[0][1][0]])
            scanned = len(run.devcon_journal())
            self.assertGreater(scanned, journal)

            # Space again (the hidden 开始运行 once took it): no second scan, nothing listed twice.
            self.press("space")
            time.sleep(2)
            self.assertEqual(len(run.devcon_journal()), scanned, "no second detection")
            self.assertEqual(len(self.tree(main)), len(nodes))

            # The arrows pick the device, Tab goes to the list, the arrows pick the package.
            self.press("Down")
            gui.wait_for(lambda: any(n["selected"] and n["text"] == DEVICE for n in self.tree(main)), what=DEVICE)
            self.press("Tab")
            self.wait_focus(run, tool.LIST, "the focus on the package list")
            for _ in range(6):
                if any(r["selected"] and r["cells"][0] == PACKAGE for r in self.rows(main)):
                    break
                self.press("Down")
            self.assertTrue(any(r["selected"] and r["cells"][0] == PACKAGE for r in self.rows(main)))

            # Enter on 开始卸载 asks; the question opens on 否, so a stray Space deletes nothing.
            self.press("Tab")
            self.wait_focus(run, tool.UNINSTALL_BUTTON, "the focus on 开始卸载")
            self.press("Return")
            question = run.wait_prompt("是否要卸载该驱动？\n%s（%s）" % (PACKAGE, DEVICE))
            self.assertEqual(self.wait_focus(run, tool.PROMPT_SECOND, "the focus on 否").text, "否")
            self.press("space")
            gui.wait_gone(tool.EXE, lambda w: w.hwnd == question.hwnd and w.visible)
            self.assertEqual(len(run.devcon_journal()), scanned, "否 ran nothing")
            self.assertTrue(any(r["selected"] and r["cells"][0] == PACKAGE for r in self.rows(main)),
                            "the row stays selected")

            # Tab to 是 and Enter: the package goes; Enter on 确认 ends the result.
            self.wait_focus(run, tool.UNINSTALL_BUTTON, "the focus back on 开始卸载")
            self.press("Return")
            run.wait_prompt("是否要卸载该驱动？\n%s（%s）" % (PACKAGE, DEVICE))
            self.press("Tab")
            self.wait_focus(run, tool.PROMPT_FIRST, "the focus on 是")
            self.press("Return")
            result = run.wait_prompt("卸载成功", timeout=180)
            self.assertTrue(any(("dp_delete " + PACKAGE) in line for line in run.devcon_journal()[scanned:]))
            self.wait_focus(run, tool.PROMPT_FIRST, "the focus on 确认")
            self.press("Return")
            gui.wait_gone(tool.EXE, lambda w: w.hwnd == result.hwnd and w.visible)

            # Alt+F4 asks the feedback question; Enter answers with the focused 解决.
            self.press("alt+F4")
            run.wait_feedback_window()
            self.wait_focus(run, tool.FEEDBACK_SOLVED, "the focus on 解决")
            self.press("Return")
            self.assertEqual(run.wait(), 0)
            self.assertEqual(run.wait_journal("CustomerFeedbackEx")[1:4], ["10102", "1.1.21.104", "1"])

        def test_a_hung_scan_is_stopped_from_the_progress_window(self):
            gui = self.gui
            pc = pagetest.variant_of_demo(gui.work, "hang", settings="misbehave drivernodes hang")
            run, main = self.start_tool("hang", pc=pc)
            self.wait_focus(run, tool.START_BUTTON, "the focus on 开始运行")
            self.press("space")
            progress = gui.wait_window(tool.EXE, lambda w: w.child(PROGRESS_TEXT) is not None, what="the progress")
            gui.wait_for(lambda: any(line.startswith("drivernodes") or " drivernodes " in line
                                     for line in run.devcon_journal()), what="a hanging query")
            # Esc asks; 否 keeps waiting.
            self.press("Escape")
            question = run.wait_prompt("是否停止检测驱动？")
            self.press("space")
            gui.wait_gone(tool.EXE, lambda w: w.hwnd == question.hwnd and w.visible)
            self.assertTrue(gui.refresh(tool.EXE, progress).visible, "否 keeps the progress window")
            # Alt+F4 asks again; 是 ends the query and returns to the start page.
            self.press("alt+F4")
            run.wait_prompt("是否停止检测驱动？")
            self.press("Tab", "Return")
            gui.wait_gone(tool.EXE, lambda w: w.hwnd == progress.hwnd and w.visible, timeout=30)
            main = gui.refresh(tool.EXE, main)
            self.assertTrue(main.child(tool.START_BUTTON).visible, "back on the start page")
            self.assertTrue(main.enabled)
            self.assertIn("驱动检测已由用户停止", run.new_log_entries())
            self.assertTrue(run.program.running())

        def test_a_second_start_brings_the_running_tool_forward_and_ends(self):
            gui = self.gui
            first, main = self.start_tool("first")
            second = tool.Tool(gui, self.prefix_name, name="second")
            self.addCleanup(second.program.kill)
            self.assertEqual(second.wait(30), 0)
            mains = [w for w in first.windows() if w.child(tool.VERSION) is not None]
            self.assertEqual([w.hwnd for w in mains], [main.hwnd], "one main window, the first tool's")
            self.assertEqual(second.journal(), [], "the second start loaded nothing")
            self.assertEqual(second.devcon_journal(), [])
            self.assertTrue(first.program.running())

    return KeyboardTest
