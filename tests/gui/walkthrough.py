#!/usr/bin/python3
"""A scripted run of the tool on a virtual display, for machines without one: it starts the tool on the simulated
PC of demo/, detects the drivers, selects the graphics card PCI\\VEN_8086&DEV_3E9B, uninstalls its package in use
oem12.inf and shows the result, with a screenshot of every step.

usage: walkthrough.py [win32|win64] OUTPUT-FOLDER
The screenshots, the Device Console's journal and the simulated PC's state afterwards go to OUTPUT-FOLDER."""

import os
import shutil
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import guitest  # noqa: E402
import tool  # noqa: E402

DEVICE = "Intel(R) UHD Graphics 630"
PACKAGE = "oem12.inf"


class Walk:
    def __init__(self, gui, run):
        self.gui, self.run = gui, run
        self.main = None
        self.shots = []

    def step(self, text):
        print("  " + text, flush=True)

    def shot(self, name):
        self.gui.screenshot(name, self.run.frame_of(self.main).rect if self.main else None)
        self.shots.append(name)

    def refresh(self):
        self.main = self.gui.refresh(tool.EXE, self.main)
        return self.main

    def tree_items(self):
        return self.gui._ask("tree %d" % self.main.child(tool.TREE).hwnd)

    def visible_tree_item(self, text):
        """The tree node with that text, scrolled into view: the tree shows its last node after filling, so a click
        on a node in view and Home bring the first category back."""
        tree = self.main.child(tool.TREE)

        def in_view(item):
            return item["rect"][1] >= tree.client[1] and item["rect"][3] <= tree.client[3]

        items = self.tree_items()
        if not any(item["text"] == text for item in items):
            raise guitest.GuiTestError("no tree node %r" % text)
        for attempt in range(3):
            item = next(i for i in self.tree_items() if i["text"] == text)
            if in_view(item):
                return item
            shown = next(i for i in self.tree_items() if in_view(i))
            self.gui.click(shown["rect"][0] + 20, (shown["rect"][1] + shown["rect"][3]) // 2)
            self.gui.key("Home")
            time.sleep(0.3)
        raise guitest.GuiTestError("tree node %r stays out of view" % text)

    def rows(self):
        answer = self.gui._ask("rows %d" % self.main.child(tool.LIST).hwnd)
        return answer[1:]

    def answer(self, text, button=tool.PROMPT_FIRST, name=None):
        content = self.run.wait_prompt(text, timeout=120)
        if name:
            self.gui.screenshot(name, self.gui.owner_of(tool.EXE, content).rect)
            self.shots.append(name)
        self.run.answer_prompt(content, button)
        self.gui.wait_gone(tool.EXE, lambda w: w.hwnd == content.hwnd)

    def go(self):
        gui = self.gui
        self.step("starting the tool")
        self.main = self.run.wait_main_window()
        self.shot("start-page")

        self.step("开始运行: detecting the drivers")
        gui.click(*self.main.child(tool.START_BUTTON).center())

        def switched():
            now = self.refresh()
            tree = now.child(tool.TREE) if now is not None else None
            return tree is not None and tree.visible

        gui.wait_for(switched, timeout=120, what="the driver selection page")
        # The page shows before it is filled; the picture is of the filled page, the first device's packages
        # listed, however long a loaded machine takes to get there.
        gui.wait_for(lambda: self.tree_items() and self.rows(), timeout=120, what="the filled selection page")
        time.sleep(0.5)
        self.shot("selection-page")

        self.step("selecting %s" % DEVICE)
        device = self.visible_tree_item(DEVICE)
        gui.click((device["rect"][0] + device["rect"][2]) // 2, (device["rect"][1] + device["rect"][3]) // 2)
        rows = gui.wait_for(lambda: [r for r in self.rows() if r["cells"][0] == PACKAGE], what="the row of " + PACKAGE)
        self.shot("packages-of-the-graphics-card")
        for r in self.rows():
            self.step("    %-12s %s" % tuple(r["cells"][:2]))

        self.step("selecting %s and pressing 开始卸载" % PACKAGE)
        row = rows[0]
        gui.click(row["rect"][0] + 20, (row["rect"][1] + row["rect"][3]) // 2)
        gui.wait_for(lambda: any(r["selected"] and r["cells"][0] == PACKAGE for r in self.rows()), what="selection")
        gui.click(*self.main.child(tool.UNINSTALL_BUTTON).center())
        self.answer("是否要卸载该驱动？\n%s（%s）" % (PACKAGE, DEVICE), name="question")

        self.step("uninstalling (the package is in use: remove the devices, delete again, rescan)")
        result = gui.wait_for(lambda: self.prompt_text(("卸载成功", "卸载失败")), timeout=180, what="the result")
        self.step("result: " + result)
        self.answer(result, name="result")
        time.sleep(0.5)
        self.shot("refreshed-list")
        for r in self.rows():
            self.step("    %-12s %s" % tuple(r["cells"][:2]))

        self.step("closing the tool")
        self.run.close(self.refresh())
        return result

    def prompt_text(self, texts):
        for w in self.run.windows():
            label = w.child(tool.PROMPT_TEXT)
            if w.visible and label is not None and label.text in texts:
                return label.text
        return None


def main(argv):
    prefix_name = "win32"
    if argv and argv[0] in ("win32", "win64"):
        prefix_name = argv.pop(0)
    if len(argv) != 1:
        print(__doc__, file=sys.stderr)
        return 2
    out = os.path.abspath(argv[0])
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    print("Walk-through in the %s prefix on a virtual display:" % prefix_name, flush=True)
    status, result = 1, None
    # The fonts as a user's Windows draws them: the screenshots are for people to look at.
    with guitest.Session("walkthrough-" + prefix_name, dpi=96, prefix_template=tool.prefix_template(prefix_name),
                         bitmap_font=False) as gui:
        run = tool.Tool(gui, prefix_name)
        walk = Walk(gui, run)
        try:
            result = walk.go()
            status = 0
        except guitest.GuiTestError as error:
            print("  stopped: %s" % error, file=sys.stderr)
            gui.screenshot("stopped")
        finally:
            run.program.kill()
            for name in sorted(os.listdir(gui.shots)):
                shutil.copy2(os.path.join(gui.shots, name), out)
            for source, target in ((os.path.join(run.sim, "journal.txt"), "devcon-journal.txt"),
                                   (os.path.join(run.sim, "pc.txt"), "simulated-pc-after.txt")):
                if os.path.exists(source):
                    shutil.copy2(source, os.path.join(out, target))
    print()
    print("Screenshots: %s" % out)
    for name in sorted(n for n in os.listdir(out) if n.endswith(".png")):
        print("  %s" % os.path.join(out, name))
    print("Device Console calls: %s" % os.path.join(out, "devcon-journal.txt"))
    print("Simulated PC afterwards: %s" % os.path.join(out, "simulated-pc-after.txt"))
    if result:
        print("Result: %s" % result)
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
