"""Harness for GUI tests with real input: a Windows program under Wine on its own virtual X display.

A session owns one Xvfb display (a free number that Xvfb chooses), one Wine prefix (a copy of the build's win32
prefix, with the DPI the test asks for), and one long-running window probe. Typical use:

    with guitest.Session("prompt", dpi=96) as gui:
        program = gui.start(gui.program("gallery.exe"), "prompt", "3", "text")
        content = gui.wait_window("gallery.exe", lambda w: w.child(1006))   # a top-level window with control 1006
        button = content.child(1007)
        gui.click(*button.center())
        assert program.wait() == 1
        gui.screenshot("after", content.rect)

Coordinates are screen pixels; Wine's screen is the X root window, so a window's rectangle from the probe is
where xdotool clicks. Only the standard library is used.
"""

import json
import os
import queue
import select
import shutil
import struct
import subprocess
import sys
import threading
import time
import zlib

BUILD_DIR = os.environ.get("TOLVIK_BUILD_DIR", os.path.join(os.path.dirname(__file__), "..", "..", "build"))
SCREEN = (1920, 1440)


class GuiTestError(AssertionError):
    pass


# ---- windows as the probe reports them ------------------------------------------------------------------------


class Win:
    """One window: hwnd, pid, cls, id, text, rect and client ([l, t, r, b] on screen), visible, enabled, style,
    exstyle, owner, parent, top (a top-level window) and children (for top-level windows: every descendant)."""

    def __init__(self, data):
        self.__dict__.update(data)
        self.cls = data["class"]
        self.visible = bool(data["visible"])
        self.enabled = bool(data["enabled"])
        self.children = []

    @property
    def width(self):
        return self.rect[2] - self.rect[0]

    @property
    def height(self):
        return self.rect[3] - self.rect[1]

    def size(self):
        return (self.width, self.height)

    def center(self):
        return ((self.rect[0] + self.rect[2]) // 2, (self.rect[1] + self.rect[3]) // 2)

    def child(self, control_id):
        for c in self.children:
            if c.id == control_id:
                return c
        return None

    def at(self, x, y):
        """Screen point of a point in this window's client area."""
        return (self.client[0] + x, self.client[1] + y)

    def __repr__(self):
        return "Win(%s id=%s %r %s vis=%d en=%d)" % (self.cls, self.id, self.text, self.rect, self.visible,
                                                   self.enabled)


# ---- a program under Wine ---------------------------------------------------------------------------------------


class Program:
    """A running Windows program; its standard output is collected line by line."""

    def __init__(self, popen, name):
        self.popen = popen
        self.name = name
        self.lines = []
        self._queue = queue.Queue()
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()

    def _read(self):
        for raw in self.popen.stdout:
            line = raw.decode("utf-8", "replace").rstrip("\r\n")
            self._queue.put(line)
        self._queue.put(None)

    def _drain(self):
        while True:
            try:
                line = self._queue.get_nowait()
            except queue.Empty:
                return
            if line is not None:
                self.lines.append(line)

    def output(self):
        self._drain()
        return list(self.lines)

    def expect(self, predicate, timeout=15, what="an output line"):
        """Waits for an output line (new or already seen) for which predicate(line) is true; returns it."""
        deadline = time.monotonic() + timeout
        seen = 0
        while True:
            self._drain()
            for line in self.lines[seen:]:
                if predicate(line):
                    return line
            seen = len(self.lines)
            if time.monotonic() > deadline:
                raise GuiTestError("%s: no %s within %ss; output: %s" % (self.name, what, timeout, self.lines[-20:]))
            if self.popen.poll() is not None and self._queue.empty():
                self._drain()
                for line in self.lines[seen:]:
                    if predicate(line):
                        return line
                raise GuiTestError("%s ended (code %s) without %s; output: %s" % (self.name, self.popen.returncode,
                                                                                 what, self.lines[-20:]))
            time.sleep(0.05)

    def expect_text(self, text, timeout=15):
        return self.expect(lambda line: line == text, timeout, repr(text))

    def wait(self, timeout=20):
        """Waits for the program to end; returns its exit code."""
        try:
            return self.popen.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise GuiTestError("%s still running after %ss; output: %s" % (self.name, timeout, self.output()[-20:]))

    def running(self):
        return self.popen.poll() is None

    def kill(self):
        if self.popen.poll() is None:
            self.popen.kill()
            try:
                self.popen.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass
        self._reader.join(timeout=5)
        self.popen.stdout.close()


# ---- screenshots ---------------------------------------------------------------------------------------------------


class Shot:
    """A screenshot: width, height and RGB bytes, with pixel access and PNG output."""

    def __init__(self, width, height, rgb, origin=(0, 0)):
        self.width, self.height, self.rgb, self.origin = width, height, rgb, origin

    @staticmethod
    def from_ppm(data):
        # P6 header: magic, width, height, maxval, each separated by whitespace.
        fields, pos = [], 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                pos = data.index(b"\n", pos) + 1
                continue
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        width, height = int(fields[1]), int(fields[2])
        return Shot(width, height, data[pos + 1:pos + 1 + width * height * 3])

    def pixel(self, x, y):
        """Colour at screen point (x, y)."""
        x -= self.origin[0]
        y -= self.origin[1]
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def crop(self, rect):
        left, top, right, bottom = rect
        left, top = max(left, self.origin[0]), max(top, self.origin[1])
        right = min(right, self.origin[0] + self.width)
        bottom = min(bottom, self.origin[1] + self.height)
        rows = []
        for y in range(top, bottom):
            start = ((y - self.origin[1]) * self.width + (left - self.origin[0])) * 3
            rows.append(self.rgb[start:start + (right - left) * 3])
        return Shot(right - left, bottom - top, b"".join(rows), (left, top))

    def colours(self):
        return [tuple(self.rgb[i:i + 3]) for i in range(0, len(self.rgb), 3)]

    def mean(self):
        n = max(1, self.width * self.height)
        return tuple(sum(self.rgb[c::3]) / n for c in range(3))

    def save_png(self, path):
        raw = b"".join(b"\x00" + self.rgb[y * self.width * 3:(y + 1) * self.width * 3] for y in range(self.height))

        def chunk(kind, body):
            return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        with open(path, "wb") as out:
            out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 6)) +
                      chunk(b"IEND", b""))


def read_png(path):
    """Decodes an 8-bit RGB/RGBA/grey non-interlaced PNG (the skin pictures) into (width, height, rows of RGBA)."""
    with open(path, "rb") as f:
        data = f.read()
    pos, idat, width = 8, b"", 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or interlace or colour not in (0, 2, 4, 6):
                raise ValueError("unsupported PNG %s" % path)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    channels = {0: 1, 2: 3, 4: 2, 6: 4}[colour]
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = previous[i]
            c = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + b) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        rows.append(bytes(line))
        previous = line
    pixels = []
    for line in rows:
        row = []
        for x in range(width):
            px = line[x * channels:(x + 1) * channels]
            if channels == 1:
                row.append((px[0], px[0], px[0], 255))
            elif channels == 2:
                row.append((px[0], px[0], px[0], px[1]))
            elif channels == 3:
                row.append((px[0], px[1], px[2], 255))
            else:
                row.append(tuple(px))
        pixels.append(row)
    return width, height, pixels


def skin_picture_mean(picture_id, over=(255, 255, 255), region=None):
    """Mean colour of a skin picture (resources/png/<id>.png), or of region (l, t, r, b) of it, composited over a
    plain colour."""
    path = os.path.join(os.path.dirname(__file__), "..", "..", "resources", "png", "%d.png" % picture_id)
    width, height, pixels = read_png(path)
    left, top, right, bottom = region or (0, 0, width, height)
    total = [0.0, 0.0, 0.0]
    for row in pixels[top:bottom]:
        for r, g, b, a in row[left:right]:
            for c, v in enumerate((r, g, b)):
                total[c] += (v * a + over[c] * (255 - a)) / 255.0
    n = float(max(1, (right - left) * (bottom - top)))
    return tuple(t / n for t in total)


def nearest(colour, candidates):
    """Key of the candidate colour (a dict of name: colour) closest to colour."""
    return min(candidates, key=lambda name: colour_distance(colour, candidates[name]))


def colour_distance(a, b):
    return sum((x - y) ** 2 for x, y in zip(a, b)) ** 0.5


# ---- the session ---------------------------------------------------------------------------------------------------


def _copy_prefix(source, target):
    """Copies a Wine prefix; the large system folders are hard-linked (Wine does not write to them)."""
    shared = {os.path.join(source, "drive_c", "windows", name) for name in ("system32", "syswow64")}

    def ignore(folder, names):
        return [n for n in names if os.path.join(folder, n) in shared]

    shutil.copytree(source, target, symlinks=True, ignore=ignore)
    for folder in shared:
        if os.path.isdir(folder):
            rel = os.path.relpath(folder, source)
            subprocess.run(["cp", "-al", folder, os.path.join(target, rel)], check=True)


def _set_user_values(prefix, key, values):
    """Writes values of a key of HKEY_CURRENT_USER into the prefix's registry file before Wine starts; key as in
    the file (e.g. 'Control Panel\\\\Desktop'), values maps names to data text ('dword:00000060', '"2"')."""
    path = os.path.join(prefix, "user.reg")
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        lines = f.read().split("\n")
    pending = dict(values)
    out, in_desktop = [], False

    def flush():
        while out and out[-1] == "":
            out.pop()
        out.extend('"%s"=%s' % item for item in pending.items())
        out.append("")
        pending.clear()

    for line in lines:
        if line.startswith("["):
            if in_desktop and pending:
                flush()
            in_desktop = line.startswith("[%s]" % key)
        elif in_desktop and line.startswith('"') and "=" in line:
            name = line[1:line.index('"', 1)]
            if name in pending:
                line = '"%s"=%s' % (name, pending.pop(name))
        out.append(line)
    if in_desktop and pending:
        flush()
    if pending:
        out.append("[%s] 1700000000" % key)
        flush()
    with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
        f.write("\n".join(out))


def _substitute_fonts(prefix, face):
    """Points the font substitutes of the prefix (宋体, SimSun, ...) at `face`."""
    path = os.path.join(prefix, "system.reg")
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        lines = f.read().split("\n")
    in_section = False
    for i, line in enumerate(lines):
        if line.startswith("["):
            in_section = line.startswith("[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\\\\FontSubstitutes]")
        elif in_section and line.endswith('="WenQuanYi Zen Hei"'):
            lines[i] = line[:line.rindex("=")] + '="%s"' % face
    with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
        f.write("\n".join(lines))


class Session:
    """A virtual display, a Wine prefix with a given DPI, and the window probe. Use it as a context manager.
    bitmap_font chooses the face that stands in for 宋体: the bitmap strikes of "WenQuanYi Zen Hei Sharp" (True, the
    tests: crisp small text whose pixels the tests can count) or the prefix's outline face with grey smoothing, as a
    user's Windows draws it (False: the screenshots people look at, which the bitmap face cuts short)."""

    def __init__(self, name, dpi=96, prefix_template=None, screen=SCREEN, bitmap_font=True):
        self.name = name
        self.bitmap_font = bitmap_font
        self.dpi = dpi
        self.screen = screen
        self.build = os.path.abspath(BUILD_DIR)
        self.bin = os.path.join(self.build, "win32", "bin")
        self.template = prefix_template or os.path.join(self.build, "wine", "win32")
        self.work = os.path.join(self.build, "gui-work", name)
        self.shots = os.path.join(self.work, "screenshots")
        self.prefix = os.path.join(self.work, "prefix")
        self.display = None
        self.env = None
        self._xvfb = None
        self._probe = None
        self._programs = []
        self._shot_count = 0

    # -- set-up and tear-down

    def __enter__(self):
        try:
            self.open()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def open(self):
        if not os.path.isfile(os.path.join(self.template, ".tolvik-ready")):
            raise GuiTestError("Wine prefix %s is not ready (build the wine-prefixes target)" % self.template)
        shutil.rmtree(self.work, ignore_errors=True)
        os.makedirs(self.shots)
        _copy_prefix(self.template, self.prefix)
        # The DPI the test asks for, and grey font smoothing as on the systems the tool serves (without it Wine's
        # monochrome rendering drops the thin strokes of small Chinese characters).
        _set_user_values(self.prefix, "Control Panel\\\\Desktop",
                         {"LogPixels": "dword:%08x" % self.dpi, "FontSmoothing": '"2"', "FontSmoothingType": "dword:00000001"})
        # The bitmap strikes of the "Sharp" face draw small Chinese text crisply, as SimSun's do, where the outline
        # face loses strokes at 12-16 pixels; but the bitmap face lacks some glyphs (the curly quotes) and is wider,
        # so longer labels are cut short.
        if self.bitmap_font:
            _substitute_fonts(self.prefix, "WenQuanYi Zen Hei Sharp")
        # No window manager runs on the virtual display: Wine places, stacks and maps every window itself instead
        # of waiting (two seconds each time) for a manager that never answers.
        _set_user_values(self.prefix, "Software\\\\Wine\\\\X11 Driver", {"Managed": '"N"'})
        self._start_display()
        self.env = dict(os.environ, DISPLAY=":%d" % self.display, WINEPREFIX=self.prefix, WINEDEBUG="-all",
                        LANG="zh_CN.UTF-8", LC_ALL="zh_CN.UTF-8", WINEDLLOVERRIDES="winemenubuilder.exe=d")
        self.env.pop("WINEARCH", None)
        self._start_probe()

    def _start_display(self):
        # Xvfb picks a free display number itself and writes it to the pipe once it listens: sessions that start
        # at the same moment can never share a display (a number chosen here could be taken in between).
        read_end, write_end = os.pipe()
        try:
            with open(os.path.join(self.work, "xvfb.log"), "w") as log:
                xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % self.screen,
                                         "-nolisten", "tcp", "-noreset"], stdout=log, stderr=subprocess.STDOUT,
                                        pass_fds=(write_end,))
            os.close(write_end)
            write_end = None
            answer = b""
            deadline = time.monotonic() + 20
            while not answer.endswith(b"\n") and time.monotonic() < deadline:
                ready, _, _ = select.select([read_end], [], [], max(0.0, deadline - time.monotonic()))
                chunk = os.read(read_end, 16) if ready else b""
                if not chunk:
                    break
                answer += chunk
        finally:
            os.close(read_end)
            if write_end is not None:
                os.close(write_end)
        if not answer.strip().isdigit():
            xvfb.kill()
            xvfb.wait()
            raise GuiTestError("the virtual display did not start (see %s)" % os.path.join(self.work, "xvfb.log"))
        self._xvfb, self.display = xvfb, int(answer)

    def _start_probe(self):
        self._probe = subprocess.Popen(["wine", os.path.join(self.bin, "probe.exe"), "serve"], env=self.env,
                                       stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                       cwd=self.work)
        self.screen_info = self._ask("screen")[0]

    def close(self):
        for program in self._programs:
            program.kill()
        if self._probe is not None:
            try:
                self._probe.stdin.write(b"quit\n")
                self._probe.stdin.flush()
                self._probe.wait(timeout=5)
            except (OSError, subprocess.TimeoutExpired):
                self._probe.kill()
                self._probe.wait()
            self._probe.stdin.close()
            self._probe.stdout.close()
            self._probe = None
        if self.env is not None:
            subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            subprocess.run(["wineserver", "-w"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           timeout=30)
        if self._xvfb is not None:
            self._xvfb.terminate()
            try:
                self._xvfb.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self._xvfb.kill()
            self._xvfb = None
        if os.path.isdir(self.prefix):
            shutil.rmtree(self.prefix, ignore_errors=True)

    # -- programs

    def program(self, name):
        """Path of a program of the Windows build."""
        return os.path.join(self.bin, name)

    def windows_path(self, path):
        return "Z:" + os.path.abspath(path).replace("/", "\\")

    def program_folder(self, name, files):
        """Makes a fresh program folder <work>/<name> holding copies of files (paths on this machine), as the tool
        ships; returns its path."""
        folder = os.path.join(self.work, name)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        for f in files:
            shutil.copy2(f, folder)
        return folder

    def start(self, exe, *args, cwd=None, env=None):
        """Starts a Windows program (a path on this machine) under Wine, with extra environment variables;
        returns a Program."""
        popen = subprocess.Popen(["wine", exe] + [str(a) for a in args], env=dict(self.env, **(env or {})),
                                 stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL,
                                 cwd=cwd or self.work)
        program = Program(popen, os.path.basename(exe))
        self._programs.append(program)
        return program

    # -- looking at windows

    def _ask(self, command):
        self._probe.stdin.write((command + "\n").encode("utf-8"))
        self._probe.stdin.flush()
        answers = []
        while True:
            line = self._probe.stdout.readline()
            if not line:
                raise GuiTestError("the window probe ended")
            line = line.decode("utf-8").strip()
            if line == "end":
                return answers
            answers.append(json.loads(line))

    def windows(self, exe_name):
        """Top-level windows of the processes running exe_name, each with its descendants in .children."""
        records = [Win(d) for d in self._ask("list " + exe_name)]
        tops = [w for w in records if w.top]
        by_handle = {w.hwnd: w for w in records}
        for w in records:
            if not w.top:
                up = by_handle.get(w.parent)
                while up is not None and not up.top:
                    up = by_handle.get(up.parent)
                if up is not None:
                    up.children.append(w)
        return tops

    def cursor(self):
        return tuple(self._ask("cursor")[0]["cursor"])

    def focus(self):
        """The window with the keyboard focus in the foreground window's thread (0 for none)."""
        return self._ask("focus")[0]["focus"]

    def wait_for(self, condition, timeout=15, what="condition", interval=0.1):
        """Polls condition() until it returns something true; returns that value."""
        deadline = time.monotonic() + timeout
        while True:
            value = condition()
            if value:
                return value
            if time.monotonic() > deadline:
                raise GuiTestError("timed out after %ss waiting for %s%s" % (timeout, what, self._evidence()))
            time.sleep(interval)

    def _evidence(self):
        """Where the screen of a wait that gave up is saved, for the failure message."""
        try:
            self.screenshot("timed-out")
            return "; the screen is saved in %s (shot %d), cursor at %s" % (self.shots, self._shot_count, self.cursor())
        except Exception as error:  # the evidence must not hide the failure itself
            return "; no screenshot (%s)" % error

    def wait_window(self, exe_name, match, timeout=20, what="window", visible=True, looks=3):
        """Waits for a top-level window of exe_name with match(win) true that has settled: it (and its owner, if
        it has one) is visible, and the window, its owner and its children keep their places over `looks`
        consecutive looks. Returns it."""
        history = []

        def layout(w, tops):
            owner = [(t.rect, t.visible) for t in tops if t.hwnd == w.owner]
            return (w.rect, w.visible, owner, [(c.id, c.rect, c.visible) for c in w.children])

        def find():
            tops = self.windows(exe_name)
            for w in tops:
                if match(w):
                    owner = [t for t in tops if t.hwnd == w.owner]
                    shown = w.visible and all(t.visible for t in owner)
                    if visible and not shown:
                        break
                    history.append(layout(w, tops))
                    if len(history) >= looks and all(h == history[-1] for h in history[-looks:]):
                        return w
                    return None
            history.clear()
            return None

        return self.wait_for(find, timeout, what)

    def owner_of(self, exe_name, win):
        """The top-level window that owns win, as it is now."""
        for w in self.windows(exe_name):
            if w.hwnd == win.owner:
                return w
        return None

    def refresh(self, exe_name, win):
        """The same window as it is now (None when it is gone)."""
        for w in self.windows(exe_name):
            if w.hwnd == win.hwnd:
                return w
        return None

    def wait_gone(self, exe_name, match, timeout=15, what="window to close"):
        self.wait_for(lambda: not any(w.visible and match(w) for w in self.windows(exe_name)), timeout, what)

    # -- real input

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, check=True)

    def pointer(self):
        """Where the X pointer is."""
        out = subprocess.run(["xdotool", "getmouselocation", "--shell"], env=self.env, stdout=subprocess.PIPE,
                             check=True).stdout.decode()
        values = dict(line.split("=", 1) for line in out.split())
        return int(values["X"]), int(values["Y"])

    def move(self, x, y):
        # --sync waits for the pointer to arrive, which it never does when it is there already.
        if self.pointer() != (x, y):
            self.xdotool("mousemove", "--sync", x, y)

    def click(self, x, y, button=1):
        self.move(x, y)
        self.xdotool("click", button)

    def click_until(self, point, condition, what, timeout=5, attempts=3):
        """Clicks at point and waits for condition(); for clicks that may safely be repeated, a press that a busy
        machine lost is repeated (a click without the effect fails every attempt)."""
        for attempt in range(attempts):
            self.click(*point)
            try:
                return self.wait_for(condition, timeout, what)
            except GuiTestError:
                if attempt == attempts - 1:
                    raise

    def press(self, x, y, button=1):
        self.move(x, y)
        self.xdotool("mousedown", button)

    def release(self, button=1):
        self.xdotool("mouseup", button)

    def drag(self, start, end, steps=8, pause=0.05):
        """Presses at start, moves to end in steps and releases there."""
        self.press(*start)
        for i in range(1, steps + 1):
            time.sleep(pause)
            x = start[0] + (end[0] - start[0]) * i // steps
            y = start[1] + (end[1] - start[1]) * i // steps
            self.xdotool("mousemove", x, y)
        time.sleep(pause)
        self.release()

    def key(self, *names):
        for name in names:
            self.xdotool("key", name)

    # -- screenshots

    def grab(self, rect=None):
        """The whole screen, now; or only rect (left, top, right, bottom), which is quicker."""
        crop = []
        if rect is not None:
            crop = ["-crop", "%dx%d+%d+%d" % (rect[2] - rect[0], rect[3] - rect[1], rect[0], rect[1]), "+repage"]
        data = subprocess.run(["import", "-display", ":%d" % self.display, "-window", "root"] + crop +
                              ["-depth", "8", "ppm:-"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              check=True).stdout
        shot = Shot.from_ppm(data)
        if rect is not None:
            shot.origin = (rect[0], rect[1])
        return shot

    def screenshot(self, name, rect=None, margin=12):
        """Saves the screen (or a rectangle of it, with a margin) as <work>/screenshots/NN-name.png; returns the
        whole screen Shot."""
        shot = self.grab()
        picture = shot
        if rect is not None:
            picture = shot.crop((rect[0] - margin, rect[1] - margin, rect[2] + margin, rect[3] + margin))
        self._shot_count += 1
        picture.save_png(os.path.join(self.shots, "%02d-%s.png" % (self._shot_count, name)))
        return shot

    def wait_picture(self, rect, condition, timeout=10, what="picture"):
        """Grabs the screen until condition(crop of rect) is true; returns that crop."""

        def look():
            crop = self.grab().crop(rect)
            return crop if condition(crop) else None

        return self.wait_for(look, timeout, what, interval=0.15)


def run_tests():
    """unittest main for a test script; the exit code tells ctest."""
    import unittest
    result = unittest.main(exit=False, verbosity=2).result
    sys.exit(0 if result.wasSuccessful() else 1)
