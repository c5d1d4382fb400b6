"""The tool itself in a GUI test session: its program folder as it ships, the simulated PC and the feedback
library's folder beside it (outside the program folder), the Windows version Wine reports, and what a run left
behind (the tool's log, the library's journal, the Device Console's journal).

    with guitest.Session("startup", prefix_template=tool.prefix_template("win64")) as gui:
        run = tool.Tool(gui, "win64", feedback={"update": {"newer": "1"}})
        main = run.wait_main_window()
        ...
        assert run.wait() == 0
        assert run.new_log_entries() == [...]
"""

import os
import re
import shutil
import subprocess
import time

import guitest

EXE = "TolvikDriverUninstallTool.exe"
ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
DEMO_PC = os.path.join(ROOT, "demo", "pc.txt")

# Controls of the main window and its pages.
CLOSE, MINIMISE, MORE_TOOLS, AGREE, VERSION, AGREEMENT_LINK, FEEDBACK_LINK = 1005, 1011, 1012, 1014, 1015, 1016, 1017
START_BUTTON, UNINSTALL_BUTTON, TREE, LIST = 1018, 1019, 1020, 1021
# Buttons of the problem-solved feedback window's content: 更多方案, the close cross, 解决, 未解决.
FEEDBACK_MORE, FEEDBACK_CLOSE, FEEDBACK_SOLVED, FEEDBACK_NOT_SOLVED = 1001, 1002, 1003, 1004
# Controls of the message prompt's content window.
PROMPT_TEXT, PROMPT_FIRST, PROMPT_SECOND = 1006, 1007, 1008

LOG_STAMP = re.compile(r"^\[\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2} \d{3}ms\]   ")


def prefix_template(name):
    """The build's Wine prefix win32 or win64."""
    return os.path.join(os.path.abspath(guitest.BUILD_DIR), "wine", name)


def devcon_for(prefix_name):
    """The Device Console stand-in the tool runs in that prefix."""
    build = os.path.abspath(guitest.BUILD_DIR)
    if prefix_name == "win64":
        return os.path.join(build, "win64", "bin", "devconx64.exe")
    return os.path.join(build, "win32", "bin", "devcon.exe")


def shipped_files(gui, prefix_name):
    """What the program folder holds as the tool ships, by file name."""
    files = {name: gui.program(name) for name in (EXE, "ParsingString.xml", "VarunelFeedbackInformation.dll")}
    files[os.path.basename(devcon_for(prefix_name))] = devcon_for(prefix_name)
    return files


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def set_windows_version(gui, version):
    """The Windows version Wine reports to the programs started from now on (winxp, vista, win7, win8, win81,
    win10)."""
    subprocess.run(["wine", "reg", "add", "HKCU\\Software\\Wine", "/v", "Version", "/t", "REG_SZ", "/d", version,
                    "/f"], env=gui.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)


def ini_text(settings):
    return "".join("[%s]\r\n" % section + "".join("%s=%s\r\n" % kv for kv in values.items())
                   for section, values in settings.items())


class Tool:
    """One run of the tool. files maps file names to source paths (None leaves a shipped file out, a path
    replaces it); feedback holds the library's settings ({section: {key: value}}); pc is the simulated PC's
    description; folder_name names the program folder; env adds to the program's environment."""

    def __init__(self, gui, prefix_name="win32", name="tool", files=None, feedback=None, pc=DEMO_PC,
                 folder_name="驱动 卸载工具", env=None):
        self.gui = gui
        self.root = os.path.join(gui.work, name)
        shutil.rmtree(self.root, ignore_errors=True)
        chosen = shipped_files(gui, prefix_name)
        for file_name, source in (files or {}).items():
            if source is None:
                chosen.pop(file_name, None)
            else:
                chosen[file_name] = source
        # By default a folder name with a blank and Chinese, as users' download folders have.
        self.folder = os.path.join(self.root, folder_name)
        os.makedirs(self.folder)
        for file_name, source in chosen.items():
            shutil.copy2(source, os.path.join(self.folder, file_name))
        self.sim = os.path.join(self.root, "sim")
        self.feedback_dir = os.path.join(self.root, "feedback")
        os.makedirs(self.sim)
        os.makedirs(self.feedback_dir)
        if pc is not None:
            shutil.copy2(pc, os.path.join(self.sim, "pc.txt"))
        if feedback:
            with open(os.path.join(self.feedback_dir, "settings.ini"), "w", encoding="utf-8") as f:
                f.write(ini_text(feedback))
        self.log_path = os.path.join(gui.prefix, "drive_c", "ProgramData", "ToolLog", "videzure.txt")
        self._log_start = self._log_size()
        self.started = time.monotonic()
        self.program = gui.start(os.path.join(self.folder, EXE), cwd=self.root,
                                 env={"TOLVIK_SIM_DIR": windows_path(self.sim),
                                      "TOLVIK_FEEDBACK_DIR": windows_path(self.feedback_dir), **(env or {})})

    # -- what the run left behind

    def _log_size(self):
        try:
            return os.path.getsize(self.log_path)
        except OSError:
            return 0

    def new_log_entries(self):
        """The messages this run wrote to the tool's log (GBK), without their time stamps."""
        try:
            with open(self.log_path, "rb") as f:
                f.seek(self._log_start)
                text = f.read().decode("gbk")
        except OSError:
            return []
        return [LOG_STAMP.sub("", line) for line in text.split("\r\n") if line]

    def journal(self):
        """The feedback library's journal: one list [entry point, arguments...] per call."""
        try:
            with open(os.path.join(self.feedback_dir, "journal.txt"), encoding="utf-8") as f:
                return [line.rstrip("\r\n").split("\t") for line in f if line.strip()]
        except OSError:
            return []

    def devcon_journal(self):
        try:
            with open(os.path.join(self.sim, "journal.txt"), encoding="utf-8") as f:
                return [line.rstrip("\r\n") for line in f if line.strip()]
        except OSError:
            return []

    # -- its windows

    def windows(self):
        return self.gui.windows(EXE)

    def wait_main_window(self, timeout=30):
        """The main window (the top-level window with the version label) once it and its pages have settled."""
        return self.gui.wait_window(EXE, lambda w: w.child(VERSION) is not None and w.child(START_BUTTON) is not None,
                                    timeout=timeout, what="main window")

    def wait_painted(self, win, timeout=20):
        """Waits until a window shows more than one colour (its picture is painted; stretching pictures above
        96 dpi takes a while under Wine)."""
        return self.gui.wait_picture(win.rect, lambda crop: len(set(crop.colours()[::7])) > 8, timeout,
                                     "control %s painted" % win.id)

    def frame_of(self, main):
        return self.gui.owner_of(EXE, main)

    def wait_prompt(self, text=None, timeout=30):
        """The content window of a message prompt (with that text, when given)."""

        def match(w):
            label = w.child(PROMPT_TEXT)
            return label is not None and (text is None or label.text == text)

        return self.gui.wait_window(EXE, match, timeout=timeout, what="prompt %r" % text)

    def answer_prompt(self, content, button=PROMPT_FIRST, attempts=3):
        """Clicks a button of a prompt's content window and waits for the prompt to go. A press that a busy
        machine lost is repeated."""
        def gone():
            return not any(w.visible and w.hwnd == content.hwnd for w in self.gui.windows(EXE))

        self.gui.click_until(content.child(button).center(), gone, "the prompt to close", timeout=10, attempts=attempts)

    @staticmethod
    def parent_of(main, child):
        """The window (among the main window's descendants) that holds child: a page for its controls."""
        for w in main.children:
            if w.hwnd == child.parent:
                return w
        return None

    def wait(self, timeout=60):
        return self.program.wait(timeout)

    def wait_feedback_window(self, timeout=30):
        """The content window of the problem-solved question shown when the tool closes."""
        return self.gui.wait_window(EXE, lambda w: w.child(FEEDBACK_SOLVED) is not None, timeout=timeout,
                                    what="problem-solved feedback window")

    def close(self, main, answer=FEEDBACK_SOLVED):
        """Closes the tool the ordinary way: the close button, then an answer to the feedback question; returns
        the exit code. The tool then removes its own files from the program folder."""
        self.gui.click(*self.gui.refresh(EXE, main).child(CLOSE).center())
        feedback = self.wait_feedback_window()
        # Above 96 dpi the question's first paints (its pictures stretched) take a while under Wine, and a press
        # right after it appeared is at times lost (1 in 3 at 125 dpi in the 64-bit prefix). It is repeated: once
        # the question is answered the program ends and no second press comes.
        self.gui.click_until(feedback.child(answer).center(), lambda: not self.program.running(),
                             "the answer to end the program", timeout=10, attempts=3)
        return self.wait()

    def wait_journal(self, entry_point, timeout=15):
        """Waits for the library's journal to record a call of entry_point; returns its line."""
        def look():
            for line in self.journal():
                if line[0] == entry_point:
                    return line
            return None
        return self.gui.wait_for(look, timeout, "%s in the library's journal" % entry_point)
