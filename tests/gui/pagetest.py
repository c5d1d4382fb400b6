"""The two pages of the main window driven with real input: the start page, the progress windows, the category
tree and the package list of the selection page, the prompts, and what the Device Console stand-in was asked.

The tests run the real program when the build has it, else the page host (tests/gui/pagehost), which does for
the pages what the main window does. test_pages_win32.py and test_pages_win64.py run them in both prefixes.
"""

import glob
import os
import re
import shutil
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import guitest  # noqa: E402

SOURCE = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
DEMO_PC = os.path.join(SOURCE, "demo", "pc.txt")
EMPTY_PC = os.path.join(SOURCE, "demo", "empty-pc.txt")
CATALOGUE = os.path.join(SOURCE, "data", "ParsingString.xml")

PROGRAM = "TolvikDriverUninstallTool.exe"
HOST = "pagehost.exe"

# Controls of the pages, the prompt and the progress window.
START, UNINSTALL, TREE, LIST = 1018, 1019, 1020, 1021
PROGRESS_TEXT, PROMPT_TEXT, FIRST, SECOND = 1000, 1006, 1007, 1008

# What the demo PC's scan finds (demo/README.md): the categories in number order, each with its devices in key
# order (the key is the vendor and device part of the hardware ID).
DEMO_TREE = [
    ("显卡", ["NVIDIA GeForce GTX 1050", "Intel(R) UHD Graphics 630"]),
    ("声卡", ["Realtek High Definition Audio", "英特尔(R) 显示器音频"]),
    ("网卡", ["Realtek PCIe GbE Family Controller", "Intel(R) Wireless-AC 9560 160MHz"]),
    ("摄像头", ["Logitech HD Webcam C270", "Integrated Camera"]),
    ("蓝牙", ["英特尔(R) 无线 Bluetooth(R)", "Microsoft 蓝牙枚举器"]),
    # The USB card reader's hardware ID is longer than the registry value the scan reads.
    ("读卡器", ["Realtek PCIE CardReader"]),
    ("触控板", ["ELAN Input Device", "Synaptics SMBus Driver"]),
    ("指纹", ["Synaptics FP Sensors (WBF) (PID=00bd)"]),
    ("智音设备", ["智音 AI 降噪音频设备"]),
]


def read_tree(folder):
    """Every file below a folder by its relative path, with its bytes."""
    files = {}
    for root, _, names in os.walk(folder):
        for name in names:
            with open(os.path.join(root, name), "rb") as f:
                files[os.path.relpath(os.path.join(root, name), folder)] = f.read()
    return files


def tool_command(command_line):
    """A journal line as "devcon <arguments>": the tool is started as .\\devcon.exe from the program folder."""
    for tool in ("devcon", "devconx64"):
        prefix = ".\\%s.exe " % tool
        if command_line.startswith(prefix):
            return tool + " " + command_line[len(prefix):]
    return command_line


def variant_of_demo(work, name, settings="", package_lines=None):
    """A copy of the demo PC with settings put before its first block and lines added to packages' blocks."""
    with open(DEMO_PC, encoding="utf-8") as f:
        lines = f.read().split("\n")
    out = [settings] if settings else []
    for line in lines:
        out.append(line)
        for package, extra in (package_lines or {}).items():
            if line.strip() == "package " + package:
                out.append("    " + extra)
    path = os.path.join(work, name + "-pc.txt")
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(out))
    return path


def real_program_built():
    if os.environ.get("TOLVIK_PAGES_APP") == "host":
        return False
    return os.environ.get("TOLVIK_PAGES_APP") == "program"


def strip_demo_class_keys(prefix):
    """Removes the demo PC's device-class keys from a prefix copy (before Wine runs in it): an empty PC."""
    seeded = os.path.join(prefix, ".tolvik-seeded", "demo.reg")
    keys = set()
    with open(seeded, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if line.startswith("[HKEY_LOCAL_MACHINE\\") and line.endswith("]"):
                keys.add(line[len("[HKEY_LOCAL_MACHINE\\"):-1].replace("\\", "\\\\").lower())
    path = os.path.join(prefix, "system.reg")
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        lines = f.read().split("\n")
    out, skipping, removed = [], False, 0
    for line in lines:
        if line.startswith("["):
            name = line[1:line.index("]")].lower() if "]" in line else ""
            skipping = name in keys
            removed += skipping
        if not skipping:
            out.append(line)
    with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
        f.write("\n".join(out))
    return removed


class App:
    """One run of the program (or the page host) from a fresh program folder, with its own simulated PC."""

    def __init__(self, test, gui, arch, pc, name):
        self.test, self.gui, self.arch = test, gui, arch
        self.exe = PROGRAM if real_program_built() else HOST
        self.sim = os.path.join(gui.work, name + "-sim")
        shutil.rmtree(self.sim, ignore_errors=True)
        os.makedirs(self.sim)
        shutil.copy(pc, os.path.join(self.sim, "pc.txt"))
        devcon = (os.path.join(guitest.BUILD_DIR, "win64", "bin", "devconx64.exe") if arch == "win64" else
                  gui.program("devcon.exe"))
        self.tool = "devconx64" if arch == "win64" else "devcon"
        files = [gui.program(self.exe), devcon, CATALOGUE, gui.program("VarunelFeedbackInformation.dll")]
        # A folder name the command interpreter must be careful with, as the tool's users have.
        self.folder = gui.program_folder(name + " 程序 A&B^C%D", files)
        env = {"TOLVIK_SIM_DIR": gui.windows_path(self.sim),
               "TOLVIK_FEEDBACK_DIR": gui.windows_path(os.path.join(gui.work, name + "-feedback"))}
        self.program = gui.start(os.path.join(self.folder, self.exe), env=env)
        test.addCleanup(self.program.kill)

    # -- the simulated PC

    def journal(self):
        """Command lines the stand-in was started with, in order."""
        path = os.path.join(self.sim, "journal.txt")
        if not os.path.exists(path):
            return []
        with open(path, encoding="utf-8") as f:
            return [tool_command(line.rstrip("\r\n").split("\t", 1)[-1]) for line in f if line.strip()]

    def hold_device_console(self):
        """Makes every Device Console call wait (for up to 10 s) until release(): the progress window stays up."""
        answer = self.gui._ask("hold " + self.gui.windows_path(os.path.join(self.sim, "pc.lock")))
        self.test.assertEqual(answer, [{"held": 1}])
        self.test.addCleanup(self.release)

    def release(self):
        self.gui._ask("release")

    # -- windows

    def tops(self):
        return self.gui.windows(self.exe)

    def main_window(self, page_control):
        """The window that holds the pages, once the page with the given control is shown."""
        return self.gui.wait_window(self.exe, lambda w: (w.child(page_control) is not None and
                                                         w.child(page_control).visible),
                                    what="page with control %d" % page_control, timeout=30)

    def page_of(self, main, control_id):
        control = main.child(control_id)
        for w in main.children:
            if w.hwnd == control.parent:
                return w
        self.test.fail("no page around control %d" % control_id)

    def wait_prompt(self, text, timeout=30):
        content = self.gui.wait_window(self.exe, lambda w: w.child(PROMPT_TEXT) is not None and
                                       w.child(PROMPT_TEXT).text == text, what="prompt %r" % text, timeout=timeout)
        return content

    def wait_progress(self, text, timeout=20):
        return self.gui.wait_window(self.exe, lambda w: w.child(PROGRESS_TEXT) is not None and
                                    w.child(PROGRESS_TEXT).text == text, what="progress %r" % text, timeout=timeout)

    def answer(self, content, button):
        self.gui.click(*content.child(button).center())
        self.gui.wait_gone(self.exe, lambda w: w.hwnd == content.hwnd, what="prompt to close")

    def no_pop_up(self):
        """True when neither a prompt nor a progress window is shown."""
        return not any(w.visible and (w.child(PROMPT_TEXT) or w.child(PROGRESS_TEXT)) for w in self.tops())

    def tree(self, main):
        return self.gui._ask("tree %d" % main.child(TREE).hwnd)

    def list_view(self, main):
        answers = self.gui._ask("rows %d" % main.child(LIST).hwnd)
        return answers[0], answers[1:]

    def rows(self, main):
        return [tuple(r["cells"]) for r in self.list_view(main)[1]]

    def shown_node(self, main, label, level=1):
        """The tree node with the label, scrolled into the tree's view with the mouse wheel when it is not."""
        tree = main.child(TREE)
        self.gui.move(*tree.center())
        for _ in range(40):
            items = [i for i in self.tree(main) if i["level"] == level and i["text"] == label]
            self.test.assertEqual(len(items), 1, "one tree node %r" % label)
            item = items[0]
            if item["shown"] and item["rect"][1] >= tree.client[1] and item["rect"][3] <= tree.client[3]:
                return item
            below = not item["shown"] or item["rect"][1] >= tree.client[1]
            order = [i["text"] for i in self.tree(main)]
            first = next((i for i in self.tree(main) if i["shown"] and i["rect"][1] >= tree.client[1]), None)
            if first is not None and item["shown"]:
                below = item["rect"][1] > first["rect"][1]
            elif first is not None:
                below = order.index(label) > order.index(first["text"])
            self.gui.xdotool("click", 5 if below else 4)
            time.sleep(0.1)
        self.test.fail("tree node %r cannot be scrolled into view" % label)

    def select_device(self, main, label):
        item = self.shown_node(main, label)
        self.gui.click((item["rect"][0] + item["rect"][2]) // 2, (item["rect"][1] + item["rect"][3]) // 2)
        self.gui.wait_for(lambda: any(i["selected"] and i["text"] == label for i in self.tree(main)),
                          what="tree node %r selected" % label)

    def select_row(self, main, inf):
        rows = [r for r in self.list_view(main)[1] if r["cells"][0] == inf]
        self.test.assertEqual(len(rows), 1, "one row %r" % inf)
        rect = rows[0]["rect"]
        # The first column is centred: click in the middle of the row's version cell instead, also part of the
        # row with full-row selection.
        self.gui.click(rect[0] + (rect[2] - rect[0]) * 2 // 3, (rect[1] + rect[3]) // 2)
        self.gui.wait_for(lambda: self.list_view(main)[0]["mark"] == rows[0]["index"] and
                          self.list_view(main)[1][rows[0]["index"]]["selected"], what="row %r selected" % inf)

    def detect(self):
        """Presses "开始运行" and returns the main window once the selection page shows."""
        main = self.main_window(START)
        self.press(main, START)
        return self.main_window(TREE)

    def confirm_uninstall(self, main, device, inf):
        """Selects the device and its package row, presses "开始卸载" and answers "是"; returns the journal's
        length before, so that the caller can read what the uninstall ran."""
        self.select_device(main, device)
        self.gui.wait_for(lambda: self.rows(main), what="rows of %s" % device)
        before = len(self.journal())
        self.select_row(main, inf)
        self.press(main, UNINSTALL)
        self.answer(self.wait_prompt("是否要卸载该驱动？\n%s（%s）" % (inf, device)), FIRST)
        return before

    def press(self, main, control_id):
        self.gui.click(*main.child(control_id).center())


class PagesTest(unittest.TestCase):
    """The tests of one prefix; the scripts set ARCH."""

    ARCH = "win32"
    DPI = 96

    @classmethod
    def setUpClass(cls):
        build = guitest.BUILD_DIR
        name = "pages-%s" % cls.ARCH if cls.DPI == 96 else "pages-%s-%d" % (cls.ARCH, cls.DPI)
        cls.gui = guitest.Session(name, dpi=cls.DPI,
                                  prefix_template=os.path.join(build, "wine", cls.ARCH))
        cls.gui.__enter__()

    @classmethod
    def tearDownClass(cls):
        cls.gui.__exit__(None, None, None)

    def app(self, pc, name):
        return App(self, self.gui, self.ARCH, pc, name)

    def assertTreeIs(self, app, main, expected):
        items = app.tree(main)
        shown = []
        for item in items:
            if item["level"] == 0:
                self.assertEqual(item["data"], 0, "category nodes carry no record")
                self.assertEqual(item["expanded"], 1, "category %s is expanded" % item["text"])
                shown.append((item["text"], []))
            else:
                self.assertEqual(item["level"], 1)
                self.assertEqual(item["data"], 1, "device node %s carries its record" % item["text"])
                shown[-1][1].append(item["text"])
        self.assertEqual(shown, expected)

    # -- the whole road of one uninstall

    def test_1_road_of_one_uninstall_of_a_package_in_use(self):
        gui = self.gui
        app = self.app(DEMO_PC, "road")
        main = app.main_window(START)
        page = app.page_of(main, START)
        start = main.child(START)
        if self.DPI == 96:
            # Other scales have their geometry checked by gui.geometry and the layout's unit tests.
            self.assertEqual(page.size(), (724, 318))
            self.assertEqual([start.rect[0] - page.client[0], start.rect[1] - page.client[1]], [233, 218])
            self.assertEqual(start.size(), (259, 85))
        else:
            self.assertGreater(page.width, 724)
            self.assertTrue(page.rect[0] <= start.rect[0] and start.rect[2] <= page.rect[2] and
                            page.rect[1] <= start.rect[1] and start.rect[3] <= page.rect[3], "button inside page")
        self.assertTrue(start.enabled)
        self.assertIsNone(main.child(TREE), "the selection page is made when a detection has found drivers")
        self.look_like_picture(page, 194)
        gui.screenshot("start-page", page.rect)

        # 开始运行: the scan runs behind the progress window, which keeps the page from being used meanwhile.
        app.hold_device_console()
        app.press(main, START)
        progress = app.wait_progress("正在检测驱动，请稍等")
        self.assertFalse(gui.refresh(app.exe, main).enabled, "the main window waits behind the progress window")
        gui.screenshot("scan-progress", progress.rect)
        app.release()

        # Drivers found: the selection page replaces the start page, with only the non-empty categories.
        main = app.main_window(TREE)
        self.assertFalse(main.child(START).visible, "the start page is hidden after the switch")
        # The progress window may still be on its way out when the tree shows; no prompt follows it.
        gui.wait_for(app.no_pop_up, timeout=10, what="no prompt after a scan that found drivers")
        gui.wait_for(lambda: gui.refresh(app.exe, main).enabled, timeout=10, what="the main window usable again")
        self.assertTreeIs(app, main, DEMO_TREE)
        tree = main.child(TREE)
        in_view = [i for i in app.tree(main) if i["shown"] and i["rect"][1] >= tree.client[1]]
        self.assertEqual(in_view[0]["text"], "显卡", "the tree starts at the first category")
        self.assertLess(in_view[0]["rect"][1] - tree.client[1], 4)
        # The first device is selected (the arrow keys work at once) and its packages are listed.
        self.assertEqual([i["text"] for i in app.tree(main) if i["selected"]], [DEMO_TREE[0][1][0]])
        header, rows = app.list_view(main)
        self.assertTrue(rows and all("oem" in r["cells"][0] for r in rows), "the first device's packages")
        self.assertEqual([c["text"] for c in header["columns"]], ["驱动文件", "版本"])
        self.assertEqual(header["columns"][0]["fmt"] & 3, 2, "驱动文件 is centred")
        self.assertEqual(header["columns"][1]["fmt"] & 3, 0, "版本 is left-aligned")
        self.assertEqual(header["exstyle"] & 0x21, 0x21, "grid lines, full-row selection")
        selection = app.page_of(main, TREE)
        self.assertEqual(selection.rect, page.rect)
        if self.DPI == 96:
            self.assertEqual([c["width"] for c in header["columns"]], [106, 212])
            origin = selection.client[:2] * 2
            self.assertEqual([a - b for a, b in zip(main.child(TREE).rect, origin)], [10, 10, 352, 268])
            self.assertEqual([a - b for a, b in zip(main.child(LIST).rect, origin)], [372, 10, 714, 268])
            self.assertEqual([a - b for a, b in zip(main.child(UNINSTALL).rect, origin)], [596, 278, 714, 314])
        gui.screenshot("selection-page", selection.rect)

        # A device: its third-party packages only, the installed one marked.
        app.select_device(main, "Intel(R) UHD Graphics 630")
        gui.wait_for(lambda: app.rows(main), what="rows of the graphics card")
        self.assertEqual(app.rows(main), [("oem12.inf", "26.20.100.7985-当前"), ("oem8.inf", "26.20.100.7158"),
                                          ("oem3.inf", "25.20.100.6472")])
        self.assertTrue(all(r["data"] for r in app.list_view(main)[1]), "every row holds its package")
        self.assertEqual(app.list_view(main)[0]["mark"], -1)
        gui.screenshot("graphics-card-packages", selection.rect)

        # A category node keeps the rows of the device shown last.
        category = app.shown_node(main, "显卡", level=0)
        gui.click(category["rect"][0] + 4, (category["rect"][1] + category["rect"][3]) // 2)
        gui.wait_for(lambda: any(i["selected"] and i["text"] == "显卡" for i in app.tree(main)),
                     what="category selected")
        self.assertEqual(len(app.rows(main)), 3)

        # 开始卸载 without a row: only the request to choose one.
        scan_journal = app.journal()
        app.press(main, UNINSTALL)
        prompt = app.wait_prompt("请选择要卸载的驱动文件！")
        self.assertFalse(prompt.child(SECOND).visible)
        gui.screenshot("choose-a-package", gui.owner_of(app.exe, prompt).rect)
        app.answer(prompt, FIRST)
        self.assertTrue(app.no_pop_up())
        self.assertEqual(app.journal(), scan_journal)

        # The question; 否 changes nothing.
        app.select_device(main, "Intel(R) UHD Graphics 630")
        app.select_row(main, "oem12.inf")
        app.press(main, UNINSTALL)
        question = app.wait_prompt("是否要卸载该驱动？\noem12.inf（Intel(R) UHD Graphics 630）")
        self.assertTrue(question.child(FIRST).visible and question.child(SECOND).visible)
        gui.screenshot("question", gui.owner_of(app.exe, question).rect)
        app.answer(question, SECOND)
        time.sleep(1)
        self.assertTrue(app.no_pop_up(), "否: no progress window, no result")
        self.assertEqual(app.journal(), scan_journal, "否: the Device Console was not asked anything")
        self.assertEqual(len(app.rows(main)), 3)
        self.assertEqual(app.list_view(main)[0]["mark"], 0, "否 leaves the selection")

        # The package's files on the simulated PC's disk, as the deletion will find them.
        store_folder = os.path.join(gui.prefix, "drive_c", "windows", "system32", "DriverStore", "FileRepository",
                                    "iigd_dch.inf_%s_1c2b2b6e5e0a1c3d" % ("amd64" if self.ARCH == "win64" else "x86"))
        store_files = read_tree(store_folder)
        self.assertEqual(sorted(store_files), ["iigd_dch.cat", "iigd_dch.inf", "iigd_dch.sys"])
        backup_pattern = os.path.join(gui.prefix, "drive_c", "ProgramData", "ToolLog", "DriverBackup",
                                      "* 8086_3E9B oem12.inf")
        earlier_backups = set(glob.glob(backup_pattern))  # the prefix may hold some from other runs

        # 是: progress, then 卸载成功 over the refreshed list.
        app.press(main, UNINSTALL)
        question = app.wait_prompt("是否要卸载该驱动？\noem12.inf（Intel(R) UHD Graphics 630）")
        app.hold_device_console()
        app.answer(question, FIRST)
        progress = app.wait_progress("正在卸载驱动，请稍等")
        gui.screenshot("uninstall-progress", progress.rect)
        app.release()
        done = app.wait_prompt("卸载成功")
        tool = app.tool
        self.assertEqual(app.journal()[len(scan_journal):len(scan_journal) + 4], [
            tool + " -f dp_delete oem12.inf",
            tool + " remove *PCI\\VEN_8086&DEV_3E9B*",
            tool + " -f dp_delete oem12.inf",
            tool + " rescan",
        ])
        # Before the deletion the package was saved, silently: the store folder's very bytes and the published
        # INF, with the restore script and the Device Console tool beside them.
        self.assertFalse(os.path.exists(store_folder), "the package is gone from the store")
        backups = sorted(set(glob.glob(backup_pattern)) - earlier_backups)
        self.assertEqual(len(backups), 1, backups)
        self.assertEqual(read_tree(os.path.join(backups[0], os.path.basename(store_folder))), store_files)
        self.assertEqual(read_tree(os.path.join(backups[0], "INF"))["oem12.inf"], store_files["iigd_dch.inf"])
        self.assertTrue(os.path.isfile(os.path.join(backups[0], "恢复驱动.cmd")))
        self.assertTrue(os.path.isfile(os.path.join(backups[0], app.tool + ".exe")))
        self.assertIn("驱动包 oem12.inf 已备份到", self.tool_log())
        requery = app.journal()[len(scan_journal) + 4:]
        self.assertTrue(requery and all("*PCI\\VEN_8086&DEV_3E9B*" in line for line in requery), requery)
        # The list already shows the packages as the Device Console reports them now: the card runs on oem8.
        self.assertEqual(app.rows(main), [("oem8.inf", "26.20.100.7158-当前"), ("oem3.inf", "25.20.100.6472")])
        gui.screenshot("uninstalled", gui.owner_of(app.exe, done).rect)
        gui.screenshot("uninstalled-list", selection.rect, margin=0)
        app.answer(done, FIRST)

        # The selection is gone with the old rows.
        self.assertEqual(app.list_view(main)[0]["mark"], -1)
        app.press(main, UNINSTALL)
        app.answer(app.wait_prompt("请选择要卸载的驱动文件！"), FIRST)
        self.assertTrue(gui.refresh(app.exe, main).enabled)

    def test_2_an_uninstall_that_fails_leaves_no_hardware_removed(self):
        gui = self.gui
        # The NVIDIA package is refused for another reason than use.
        pc = variant_of_demo(gui.work, "failing", package_lines={"oem21.inf": "delete-fails yes"})
        app = self.app(pc, "failing")
        main = app.detect()
        before = app.confirm_uninstall(main, "Realtek PCIE CardReader", "oem50.inf")
        failed = app.wait_prompt("卸载失败")
        gui.screenshot("uninstall-failed", gui.owner_of(app.exe, failed).rect)
        # The removal of the card reader failed: no second delete, but a rescan, so that nothing stays removed.
        self.assertEqual(app.journal()[before:], [app.tool + " -f dp_delete oem50.inf",
                                                  app.tool + " remove *PCI\\VEN_10EC&DEV_522A*",
                                                  app.tool + " rescan"])
        self.assertIn("卸载设备失败", self.tool_log())
        self.assertEqual(app.rows(main), [("oem50.inf", "10.0.18362.31259-当前")], "the list stays")
        app.answer(failed, FIRST)
        self.assertTrue(app.no_pop_up())

        # A refusal other than "in use" removes nothing.
        before = app.confirm_uninstall(main, "NVIDIA GeForce GTX 1050", "oem21.inf")
        app.answer(app.wait_prompt("卸载失败"), FIRST)
        self.assertEqual(app.journal()[before:], [app.tool + " -f dp_delete oem21.inf"])
        with open(os.path.join(app.sim, "pc.txt"), encoding="utf-8") as f:
            state = f.read()
        self.assertIsNone(re.search(r"^\s*present\s+removed", state, re.M), "every device is present")

    def test_3_no_success_without_the_tools_confirmation(self):
        if self.DPI != 96:
            self.skipTest("the road's rules do not depend on the scale")
        gui = self.gui
        app = self.app(variant_of_demo(gui.work, "silent", settings="misbehave dp_delete silent"), "silent")
        main = app.detect()
        before = app.confirm_uninstall(main, "NVIDIA GeForce GTX 1050", "oem21.inf")
        # The deletion printed nothing and the package is still listed afterwards: a failure, never a success.
        app.answer(app.wait_prompt("卸载失败"), FIRST)
        self.assertEqual(app.journal()[before], app.tool + " -f dp_delete oem21.inf")
        self.assertNotIn(app.tool + " remove *PCI\\VEN_10DE&DEV_1C8D*", app.journal())
        self.assertIn("执行卸载驱动命令失败", self.tool_log())
        self.assertEqual(app.rows(main)[0][0], "oem21.inf", "the package is still listed")

    def test_4_a_console_tool_that_does_not_answer_is_no_pc_without_packages(self):
        if self.DPI != 96:
            self.skipTest("the scan's rules do not depend on the scale")
        gui = self.gui
        app = self.app(variant_of_demo(gui.work, "garbage", settings="misbehave drivernodes garbage"), "garbage")
        main = app.main_window(START)
        app.press(main, START)
        # The first query it garbles (asked once more) ends the scan: the page's "nothing found" road, not a tree of
        # empty devices.
        app.answer(app.wait_prompt("获取设备驱动失败"), FIRST)
        main = app.main_window(START)
        self.assertIsNone(main.child(TREE), "still the start page")
        self.assertEqual([command.split(" ")[1] for command in app.journal()],
                         ["driverfiles", "drivernodes", "drivernodes"])
        self.assertIn("设备控制台工具没有回答，检测中止: drivernodes *PCI\\VEN_8086^&DEV_3E9B*", self.tool_log())

    def tool_log(self):
        path = os.path.join(self.gui.prefix, "drive_c", "ProgramData", "ToolLog", "videzure.txt")
        with open(path, "rb") as f:
            return f.read().decode("gbk", "replace")

    # -- pictures

    def look_like_picture(self, window, picture):
        """The window shows the skin picture (compared by the mean colour of its top part)."""
        crop = self.gui.grab().crop((window.client[0], window.client[1], window.client[2],
                                     window.client[1] + 100))
        width, height, _ = guitest.read_png(os.path.join(SOURCE, "resources", "png", "%d.png" % picture))
        expected = guitest.skin_picture_mean(picture, region=(0, 0, width, 100 * height // window.height))
        self.assertLess(guitest.colour_distance(crop.mean(), expected), 20,
                        "picture %d: mean %s, expected %s" % (picture, crop.mean(), expected))


class EmptyPcTest(unittest.TestCase):
    """A PC without devices: its own prefix copy without the demo's class keys."""

    ARCH = "win32"

    @classmethod
    def setUpClass(cls):
        build = guitest.BUILD_DIR
        template = os.path.join(build, "gui-work", "empty-prefix-" + cls.ARCH)
        shutil.rmtree(template, ignore_errors=True)
        os.makedirs(os.path.dirname(template), exist_ok=True)
        guitest._copy_prefix(os.path.join(build, "wine", cls.ARCH), template)
        cls.removed = strip_demo_class_keys(template)
        cls.template = template
        cls.gui = guitest.Session("pages-empty-" + cls.ARCH, dpi=96, prefix_template=template)
        cls.gui.__enter__()

    @classmethod
    def tearDownClass(cls):
        cls.gui.__exit__(None, None, None)
        shutil.rmtree(cls.template, ignore_errors=True)

    def test_a_scan_that_finds_nothing_stays_on_the_start_page(self):
        gui = self.gui
        self.assertGreater(self.removed, 9, "the demo's class keys were removed")
        app = App(self, gui, self.ARCH, EMPTY_PC, "empty")
        main = app.main_window(START)
        for attempt in ("first", "second"):
            app.press(main, START)
            prompt = app.wait_prompt("获取设备驱动失败")
            gui.screenshot("nothing-found-" + attempt, gui.owner_of(app.exe, prompt).rect)
            app.answer(prompt, FIRST)
            main = app.main_window(START)
            self.assertIsNone(main.child(TREE), "still the start page")
            self.assertTrue(main.child(START).enabled)
        self.assertEqual(app.journal(), [], "no device, no Device Console call")

        # The PC gains its devices: the next press scans again and finds them.
        app_sim_pc = os.path.join(app.sim, "pc.txt")
        shutil.copy(DEMO_PC, app_sim_pc)
        seed_registry(gui, os.path.join(guitest.BUILD_DIR, "demo.reg"))
        app.press(main, START)
        main = app.main_window(TREE)
        self.assertTrue(app.no_pop_up())
        self.assertEqual([i["text"] for i in app.tree(main) if i["level"] == 0], [c for c, _ in DEMO_TREE])


def seed_registry(gui, body):
    """Imports a .reg body (UTF-8, no header) into the session's running prefix."""
    path = os.path.join(gui.prefix, "drive_c", "tolvik-gui-seed.reg")
    with open(body, encoding="utf-8") as f:
        text = "Windows Registry Editor Version 5.00\r\n\r\n" + f.read().replace("\r\n", "\n").replace("\n", "\r\n")
    with open(path, "wb") as f:
        f.write(text.encode("utf-16"))
    subprocess.run(["wine", "regedit", "/S", "C:\\tolvik-gui-seed.reg"], env=gui.env, check=True, timeout=120,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
