"""Start-up of the real tool with real input, for one Wine prefix: each failed start-up check with its log line,
its prompt and exit code 0; the Windows versions refused and accepted; the new-version notice; the main window's
place, controls and painting at 96 dpi; the page switch after a scan, painted throughout; the close button; a
system close (Alt+F4) on a prompt ends it as its close button does.

test_startup_win32.py and test_startup_win64.py run these cases in their prefix."""

import os
import sys
import time
import unittest

import guitest
import tool

INIT_FAILED = "工具初始化失败"
NEW_VERSION = "检测到当前工具有新的版本更新，请下载最新版本使用。"
VERSION_ARGS = ["10102", "1.1.21.104"]


def system_close(gui, content):
    """Alt+F4 on a prompt's content window, activated by a click on its text."""
    gui.click(*content.child(tool.PROMPT_TEXT).center())
    gui.key("alt+F4")


def blank(crop):
    """Nothing painted there: (nearly) every pixel white."""
    colours = crop.colours()
    return sum(1 for c in colours if min(c) >= 248) >= 0.97 * len(colours)


def count_pixels(crop, predicate):
    return sum(1 for c in crop.colours() if predicate(c))


def near(colour, target, tolerance=60):
    return guitest.colour_distance(colour, target) <= tolerance


def startup_tests(prefix_name):
    class StartupTest(unittest.TestCase):
        @classmethod
        def setUpClass(cls):
            cls.gui = guitest.Session("startup-" + prefix_name, dpi=96,
                                      prefix_template=tool.prefix_template(prefix_name))
            cls.gui.__enter__()
            cls.runs = 0

        @classmethod
        def tearDownClass(cls):
            cls.gui.__exit__(None, None, None)

        def start(self, **options):
            type(self).runs += 1
            run = tool.Tool(self.gui, prefix_name, name="run%02d" % self.runs, **options)
            self.addCleanup(run.program.kill)
            return run

        def use_windows(self, version):
            tool.set_windows_version(self.gui, version)
            self.addCleanup(tool.set_windows_version, self.gui, "win10")

        def assertStartupFails(self, run, log_entry, message, shot):
            """The run shows message, has logged log_entry (and nothing else) before, and ends with exit code 0 when
            the prompt is confirmed, leaving its program folder in place."""
            content = run.wait_prompt(message)
            self.assertEqual(run.new_log_entries(), [log_entry])
            self.gui.screenshot(shot, self.gui.owner_of(tool.EXE, content).rect)
            run.answer_prompt(content)
            self.assertEqual(run.wait(), 0)
            self.assertTrue(os.path.isfile(os.path.join(run.folder, tool.EXE)), "the program folder stays")

        def close_by_button(self, run, main):
            self.assertEqual(run.close(main), 0)

        # -- the catalogue (step 1)

        def test_missing_or_malformed_catalogue_stops_before_any_other_check(self):
            broken = os.path.join(self.gui.work, "ParsingString.xml")
            with open(broken, "w", encoding="utf-8") as f:
                f.write('<?xml version="1.0" encoding="utf-8"?>\n<HardwareIdList><Item FirstString="PCI\\VEN_"')
            for case, source in (("missing", None), ("malformed", broken)):
                with self.subTest(case):
                    run = self.start(files={"ParsingString.xml": source})
                    self.assertStartupFails(run, "读取解析硬件ID信息XML失败", INIT_FAILED, "catalogue-" + case)
                    self.assertEqual(run.journal(), [], "the feedback library is never loaded")

        # -- the operating system (step 3)

        def test_windows_xp_and_vista_are_refused(self):
            for version in ("winxp", "vista"):
                with self.subTest(version):
                    self.use_windows(version)
                    run = self.start()
                    self.assertStartupFails(run, "获取当前系统是否支持失败2", "此工具不支持当前系统", "refused-" + version)
                    self.assertEqual(run.journal(), [], "no check after the system's runs")

        def test_windows_7_8_81_and_10_are_accepted(self):
            for version in ("win7", "win8", "win81", "win10"):
                with self.subTest(version):
                    self.use_windows(version)
                    run = self.start()
                    main = run.wait_main_window()
                    # The library was initialised and asked once about a newer version, which there is not.
                    self.assertEqual(run.wait_journal("GetToolIsNewVersion"), ["GetToolIsNewVersion"] + VERSION_ARGS)
                    self.assertEqual([line[0] for line in run.journal()], ["InitFreedbackDll", "GetToolIsNewVersion"])
                    self.assertEqual(run.new_log_entries(), [])
                    self.close_by_button(run, main)

        # -- the feedback library (steps 6 and 7)

        def test_missing_library_or_one_without_OpenToolDownUrl_reports_7(self):
            noopen = os.path.join(self.gui.bin, "variants", "noopen", "VarunelFeedbackInformation.dll")
            for case, source in (("missing", None), ("without-OpenToolDownUrl", noopen)):
                with self.subTest(case):
                    run = self.start(files={"VarunelFeedbackInformation.dll": source})
                    self.assertStartupFails(run, "工具初始化失败7", INIT_FAILED, "library-" + case)
                    self.assertEqual(run.journal(), [], "a library that did not load is not initialised")

        def test_a_system_close_ends_the_failure_prompt_as_its_close_button_does(self):
            run = self.start(files={"ParsingString.xml": None})
            content = run.wait_prompt(INIT_FAILED)
            system_close(self.gui, content)
            # The whole prompt goes (no empty frame left in a modal loop) and the process ends as after the cross.
            self.assertEqual(run.wait(), 0)
            self.assertEqual(run.new_log_entries(), ["读取解析硬件ID信息XML失败"])

        def test_library_that_cannot_initialise_reports_6(self):
            run = self.start(feedback={"init": {"result": "0"}})
            self.assertStartupFails(run, "工具初始化失败6", INIT_FAILED, "library-init-0")
            self.assertEqual(run.journal(), [["InitFreedbackDll"]])

        # -- the new-version check (timer 38)

        def test_newer_version_shows_the_notice_opens_the_download_and_ends_with_0(self):
            run = self.start(feedback={"update": {"newer": "1"}})
            content = run.wait_prompt(NEW_VERSION)
            main = [w for w in run.windows() if w.child(tool.VERSION) is not None][0]
            prompt_frame = self.gui.owner_of(tool.EXE, content)
            self.assertEqual(prompt_frame.owner, main.hwnd, "the notice belongs to the main window")
            self.assertEqual(run.journal(), [["InitFreedbackDll"], ["GetToolIsNewVersion"] + VERSION_ARGS])
            self.gui.screenshot("new-version", main.rect)
            run.answer_prompt(content)
            self.assertEqual(run.wait(), 0)
            calls = run.journal()
            self.assertEqual([line[0] for line in calls], ["InitFreedbackDll", "GetToolIsNewVersion", "OpenToolDownUrl",
                                                           "Open"])
            self.assertEqual(calls[3][2], "recorded")
            self.assertEqual(run.new_log_entries(), [])
            self.assertTrue(os.path.isfile(os.path.join(run.folder, tool.EXE)), "the program folder stays")

        # -- the main window

        def test_main_window_at_96_dpi_is_800_by_600_centred_in_its_806_by_606_frame(self):
            gui = self.gui
            run = self.start()
            main = run.wait_main_window()
            frame = run.frame_of(main)
            self.assertEqual(main.size(), (800, 600))
            self.assertEqual(frame.size(), (806, 606))
            self.assertEqual((main.rect[0] - frame.rect[0], main.rect[1] - frame.rect[1]), (3, 2))
            screen = gui.screen_info["screen"]
            self.assertEqual((main.rect[0], main.rect[1]), (screen[0] // 2 - 403 + 3, screen[1] // 2 - 303 + 2))
            self.assertEqual(frame.text, "videzure")

            def client_rect(control_id):
                c = main.child(control_id)
                return [c.rect[0] - main.client[0], c.rect[1] - main.client[1], c.rect[2] - main.client[0],
                        c.rect[3] - main.client[1]]

            self.assertEqual(client_rect(tool.CLOSE), [768, 0, 794, 34])
            self.assertEqual(client_rect(tool.MINIMISE), [740, 0, 766, 34])
            self.assertEqual(client_rect(tool.VERSION), [200, 16, 350, 31])
            self.assertEqual(client_rect(tool.MORE_TOOLS), [60, 530, 118, 548])
            for control_id in (tool.AGREE, tool.AGREEMENT_LINK, tool.FEEDBACK_LINK):
                self.assertEqual(client_rect(control_id)[1::2], [575, 595])
            self.assertEqual(client_rect(tool.AGREEMENT_LINK)[0], client_rect(tool.AGREE)[2] + 6)
            self.assertEqual(client_rect(tool.FEEDBACK_LINK)[2], 794)
            self.assertEqual(main.child(tool.VERSION).text, "1.1.21.104")
            # The start page is shown; the selection page (over the same rectangle) is made after a detection.
            start_page = run.parent_of(main, main.child(tool.START_BUTTON))
            self.assertEqual([start_page.rect[0] - main.client[0], start_page.rect[1] - main.client[1]], [38, 42])
            self.assertEqual(start_page.size(), (724, 318))
            self.assertTrue(start_page.visible)
            self.assertIsNone(main.child(tool.TREE))
            self.assertEqual(main.child(tool.AGREE).text, "同意")

            shot = gui.screenshot("main-window-96dpi", frame.rect)
            # Painted texts: the white title in the blue strip, the white version, the blue links on white.
            white = lambda c: near(c, (255, 255, 255), 90)
            title = shot.crop((main.client[0] + 36, main.client[1], main.client[0] + 300, main.client[1] + 42))
            self.assertGreater(count_pixels(title, white), 60, "the title videzure is drawn")
            self.assertGreater(count_pixels(shot.crop(main.child(tool.VERSION).rect), white), 30, "the version shows")
            for link in (tool.AGREEMENT_LINK, tool.FEEDBACK_LINK):
                crop = shot.crop(main.child(link).rect)
                self.assertGreater(count_pixels(crop, lambda c: c[2] > 200 and c[0] < 170 and c[1] < 170), 30,
                                   "link %d is drawn in blue" % link)
            # The background picture fills the client area: a point of the page-free white field and of the blue
            # title strip have the picture's colours.
            picture = guitest.read_png(os.path.join(tool.ROOT, "resources", "png", "140.png"))[2]
            for x, y in ((400, 30), (400, 520), (700, 10)):
                self.assertLess(guitest.colour_distance(shot.pixel(main.client[0] + x, main.client[1] + y),
                                                        picture[y][x][:3]), 30, "background at %d,%d" % (x, y))

            # The close button ends the program with code 0.
            self.close_by_button(run, main)
            self.assertTrue(os.path.isfile(os.path.join(run.folder, tool.EXE)))

    return StartupTest


def page_switch_test(prefix_name):
    class PageSwitchTest(unittest.TestCase):
        """After a scan that found drivers the main window swaps the pages for good."""

        def test_scan_with_drivers_switches_to_the_selection_page(self):
            with guitest.Session("pageswitch-" + prefix_name, dpi=96,
                                 prefix_template=tool.prefix_template(prefix_name)) as gui:
                run = tool.Tool(gui, prefix_name)
                main = run.wait_main_window()
                start_button = main.child(tool.START_BUTTON)
                page = run.parent_of(main, start_button)
                # Where the start page has its heading, and the selection page its button.
                heading = (page.rect[0] + 150, page.rect[1] + 130, page.rect[0] + 574, page.rect[1] + 170)
                uninstall = (page.rect[0] + 596, page.rect[1] + 278, page.rect[0] + 714, page.rect[1] + 314)
                gui.click(*start_button.center())

                def switched():
                    now = gui.refresh(tool.EXE, main)
                    tree = now.child(tool.TREE) if now else None
                    filled = tree is not None and tree.visible and gui._ask("tree %d" % tree.hwnd)
                    return now if filled else None

                # Through the scan and the switch, the page is never left unpainted: the start page's heading or the
                # selection page's button is always drawn (an unpainted switch shows a white page with only the
                # tree's scroll bar, for most of a second on the demo PC).
                samples, unpainted, drawn = 0, 0, False
                deadline = time.monotonic() + 60
                while not drawn and time.monotonic() < deadline:
                    shot = gui.grab(page.rect)
                    samples += 1
                    drawn = not blank(shot.crop(uninstall))
                    if blank(shot.crop(heading)) and not drawn:
                        unpainted += 1
                        shot.save_png(os.path.join(gui.shots, "unpainted-%02d.png" % unpainted))
                main = gui.wait_for(switched, timeout=15, what="the selection page")
                print("the page was looked at %d times during the scan and the switch" % samples, file=sys.stderr)
                self.assertTrue(drawn, "the selection page's button is drawn")
                self.assertEqual(unpainted, 0, "%d of %d looks at the page found it unpainted" % (unpainted, samples))
                self.assertFalse(main.child(tool.START_BUTTON).visible, "the start page is hidden")
                self.assertFalse(main.child(tool.AGREE).visible)
                self.assertFalse(main.child(tool.AGREEMENT_LINK).visible)
                self.assertTrue(main.child(tool.FEEDBACK_LINK).visible)
                self.assertTrue(main.child(tool.VERSION).visible)
                roots = [item["text"] for item in gui._ask("tree %d" % main.child(tool.TREE).hwnd)
                         if item["level"] == 0]
                self.assertEqual(roots[0], "显卡", "the tree was filled")
                gui.screenshot("selection-page", run.frame_of(main).rect)

                # Alt+F4 on the question before an uninstall answers it as its close button does: nothing is
                # removed, and no empty frame stays behind.
                device = next(i for i in gui._ask("tree %d" % main.child(tool.TREE).hwnd) if i["level"] == 1)
                gui.click((device["rect"][0] + device["rect"][2]) // 2, (device["rect"][1] + device["rect"][3]) // 2)
                list_hwnd = main.child(tool.LIST).hwnd
                row = gui.wait_for(lambda: gui._ask("rows %d" % list_hwnd)[1:], what="the device's rows")[0]
                gui.click(row["rect"][0] + 20, (row["rect"][1] + row["rect"][3]) // 2)
                gui.wait_for(lambda: any(r["selected"] for r in gui._ask("rows %d" % list_hwnd)[1:]),
                             what="the row selected")
                gui.click(*main.child(tool.UNINSTALL_BUTTON).center())
                question = run.wait_prompt("是否要卸载该驱动？\n%s（%s）" % (row["cells"][0], device["text"]))
                question_frame = gui.owner_of(tool.EXE, question)
                system_close(gui, question)
                gui.wait_for(lambda: not any(w.visible and w.hwnd in (question.hwnd, question_frame.hwnd)
                                             for w in run.windows()), what="the question and its frame to go")
                self.assertTrue(gui.refresh(tool.EXE, main).enabled, "the main window is usable again")
                self.assertFalse(any("dp_delete" in line for line in run.devcon_journal()), "nothing removed")
                self.assertEqual(run.close(main), 0)

    return PageSwitchTest
