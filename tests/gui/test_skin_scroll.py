#!/usr/bin/python3
"""Skinned scroll bars with real input (tests/gui/scrollbox): a long rich-edit text wrapped in the skinned bar at
96 dpi, and an edit box with both bars at 144 dpi. The bar is painted from the skin bitmap and stays visible;
arrows (clicked and held), the track and thumb drags past both ends scroll through the whole text; the wheel and
the keyboard keep the skinned bar in step with the text. The window-level checks of tests/gui/scrollcheck run
here too, because they need a display."""

import os
import re
import struct
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import guitest  # noqa: E402

BOX = "scrollbox.exe"
STATE = re.compile(r"^state pos=(-?\d+) largest=(-?\d+) page=(\d+) bar=(-?\d+) barmax=(-?\d+) track=(-?\d+) "
                   r"first=(\d+) lines=(\d+) focus=(\d) hpos=(-?\d+) hbar=(-?\d+)$")
CELL = 13
SKIN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources", "bmp", "183.bmp")


def read_skin():
    """The skin bitmap as rows of (r, g, b), top row first."""
    with open(SKIN, "rb") as f:
        data = f.read()
    offset = struct.unpack_from("<I", data, 10)[0]
    header = struct.unpack_from("<I", data, 14)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bits = struct.unpack_from("<H", data, 28)[0]
    used = struct.unpack_from("<I", data, 46)[0] or 256
    assert bits == 8, "the skin is an 8-bit bitmap"
    palette = [struct.unpack_from("<BBB", data, 14 + header + 4 * i)[::-1] for i in range(used)]
    stride = (width + 3) & ~3
    rows = []
    for y in range(abs(height)):
        source = y if height < 0 else abs(height) - 1 - y
        start = offset + source * stride
        rows.append([palette[i] for i in data[start:start + width]])
    return rows


SKIN_ROWS = read_skin()


def cell_pixel(column, row, x, y):
    return SKIN_ROWS[row * CELL + y][column * CELL + x]


def trunc(value):
    return int(value)


def f32(value):
    return struct.unpack("f", struct.pack("f", value))[0]


class State:
    def __init__(self, match):
        (self.pos, self.largest, self.page, self.bar, self.bar_max, self.track, self.first, self.lines, self.focus,
         self.hpos, self.hbar) = (int(g) for g in match.groups())

    @property
    def in_step(self):
        return self.bar == self.pos and self.track == self.pos

    def __repr__(self):
        return "State(pos=%d/%d bar=%d track=%d first=%d/%d hpos=%d hbar=%d)" % (
            self.pos, self.largest, self.bar, self.track, self.first, self.lines, self.hpos, self.hbar)


def thumb_span(length, thickness, maximum, page, pos, double=None):
    """Where the thumb of a bar with range 0..maximum lies along it: (start, end). The track is the bar less
    `double`, twice the scaled cell cut once (trunc(2 * c * s)), which can be a pixel more than twice the arrow."""
    track = max(length - (2 * thickness if double is None else double), 0)
    arrow = thickness if track > 0 else length // 2
    proportional = page * track // (maximum + 1)
    thumb = 0 if track <= 5 else (proportional if proportional > 5 else 6)
    thumb = min(thumb, track)
    span = maximum - max(page - 1, 0)
    if span <= 0:
        return arrow + (track - thumb) // 2, arrow + (track - thumb) // 2
    start = arrow + pos * (track - thumb) // span
    return start, start + thumb


class ScrollBoxBase:
    dpi = 96
    args = ()

    @classmethod
    def setUpClass(cls):
        cls.gui = guitest.Session("skin-scroll-%d" % cls.dpi, dpi=cls.dpi)
        cls.gui.__enter__()
        try:
            cls.s = f32(cls.dpi / 100.0) if cls.dpi > 100 else 1.0
            cls.thickness = trunc(f32(CELL * cls.s))
            cls.program = cls.gui.start(cls.gui.program(BOX), *cls.args)
            cls.program.expect(lambda line: line.startswith("ready"), what="ready")
            window = cls.gui.wait_window(BOX, lambda w: w.text == "scrollbox", what="scroll box window")
            by_class = {}
            for child in window.children:
                by_class.setdefault((child.cls, child.id), child)
            cls.window = window
            cls.frame = next(c for c in window.children if c.text == "SkinScrollBarFrame")
            cls.limit = next(c for c in window.children if c.text == "LIMIT")
            cls.vertical = by_class[("ScrollBar", 101)]
            cls.horizontal = by_class[("ScrollBar", 100)]
        except BaseException:
            cls.gui.__exit__(None, None, None)
            raise

    @classmethod
    def tearDownClass(cls):
        cls.gui.__exit__(None, None, None)

    # -- the text box's state, as the program reports it

    def state(self):
        for line in reversed(self.program.output()):
            match = STATE.match(line)
            if match:
                return State(match)
        raise AssertionError("no state reported")

    def wait_state(self, condition, what, timeout=10):
        return self.gui.wait_for(lambda: (lambda s: s if condition(s) else None)(self.state()), timeout, what)

    def wait_in_step(self, condition=lambda s: True, what="the skinned bar in step"):
        return self.wait_state(lambda s: s.in_step and condition(s), what)

    # -- the bar on the screen

    def bar_length(self):
        return self.vertical.height

    def along(self, y):
        """Screen point on the vertical bar, y pixels from its top."""
        return (self.vertical.rect[0] + self.vertical.width // 2, self.vertical.rect[1] + y)

    def thumb(self, state):
        return thumb_span(self.bar_length(), self.thickness, state.bar_max, state.page, state.bar,
                          trunc(f32(f32(2 * CELL) * self.s)))

    def to_top(self):
        state = self.state()
        start, end = self.thumb(state)
        self.gui.drag(self.along((start + end) // 2), self.along(-600), steps=6)
        return self.wait_in_step(lambda s: s.pos == 0, "the text back at its start")


class RichEditAt96(ScrollBoxBase, unittest.TestCase):
    dpi = 96

    def test_1_window_level_checks(self):
        program = self.gui.start(self.gui.program("scrollcheck.exe"))
        code = program.wait(timeout=120)
        output = program.output()
        self.assertEqual(code, 0, "\n".join(output[-60:]))
        self.assertTrue(any("[  PASSED  ]" in line for line in output), "\n".join(output[-20:]))

    def test_2_bar_is_painted_from_the_skin_where_the_own_bar_was(self):
        t = self.thickness
        self.assertEqual(t, 13)
        # The frame stands where the box stood; the skinned bar runs down its right edge, the clipping window
        # stops where the bar starts, so the box's own bar is out of sight.
        self.assertTrue(self.vertical.visible)
        self.assertFalse(self.horizontal.visible)
        self.assertEqual(self.vertical.width, 13)
        self.assertEqual(self.vertical.rect[2], self.frame.client[2])
        self.assertEqual(self.vertical.rect[1], self.frame.client[1])
        self.assertEqual(self.vertical.rect[3], self.frame.client[3])
        self.assertEqual(self.limit.rect[2], self.vertical.rect[0])
        state = self.to_top()
        self.gui.move(self.window.rect[0] + 5, self.window.rect[1] + 5)
        time.sleep(0.3)
        shot = self.gui.screenshot("rich-edit-96", self.window.rect)
        left, top = self.vertical.rect[0], self.vertical.rect[1]
        length = self.bar_length()
        start, end = self.thumb(state)
        for y in range(length):
            for x in range(t):
                if y < t:
                    expected = cell_pixel(0, 0, x, y)  # up arrow
                elif y >= length - t:
                    expected = cell_pixel(1, 0, x, y - (length - t))  # down arrow
                elif start <= y < start + 3:
                    expected = cell_pixel(2, 0, x, y - start)  # thumb cap
                elif end - 3 <= y < end:
                    expected = cell_pixel(2, 0, x, CELL - (end - y))
                elif start <= y < end:
                    expected = cell_pixel(2, 0, x, 3 + (y - start - 3) % 7)  # thumb middle, tiled
                elif y < start:
                    expected = cell_pixel(3, 0, x, (y - t) % CELL)  # track tiles from the track's start
                else:
                    expected = cell_pixel(3, 0, x, (y - end) % CELL)
                self.assertEqual(shot.pixel(left + x, top + y), expected, "bar pixel %d,%d" % (x, y))

    def arrow_picture(self, column, row):
        y = 0 if column == 0 else self.bar_length() - self.thickness
        rect = (self.vertical.rect[0], self.vertical.rect[1] + y, self.vertical.rect[2],
                self.vertical.rect[1] + y + self.thickness)

        def same(crop):
            return all(crop.pixel(rect[0] + x, rect[1] + yy) == cell_pixel(column, row, x, yy)
                       for x in range(13) for yy in range(13))

        return self.gui.wait_picture(rect, same, what="arrow %d in row %d" % (column, row))

    def test_3_arrows_scroll_show_hover_and_press_and_repeat_while_held(self):
        gui = self.gui
        self.to_top()
        up, down = self.along(6), self.along(self.bar_length() - 7)
        gui.move(*up)
        self.arrow_picture(0, 1)  # hover
        gui.click(*down)
        step = self.wait_in_step(lambda s: s.pos > 0, "one step down").pos
        self.arrow_picture(1, 1)  # released on the arrow: hover again
        gui.click(*up)
        self.wait_in_step(lambda s: s.pos == 0, "one step up")

        # Held: pressed picture, then the repeat scrolls on by itself.
        gui.press(*down)
        try:
            self.arrow_picture(1, 2)
            gui.screenshot("down-arrow-held", self.frame.rect)
            self.wait_state(lambda s: s.pos >= 4 * step, "the held arrow repeating")
        finally:
            gui.release()
        self.arrow_picture(1, 1)  # the release has arrived: hover picture again
        held = self.wait_in_step(lambda s: s.pos >= 4 * step, "in step after the hold")
        time.sleep(0.4)
        self.assertEqual(self.state().pos, held.pos, "the repeat stops with the release")

    def test_4_track_pages_and_thumb_drags_past_both_ends(self):
        gui = self.gui
        state = self.to_top()
        # The track below the thumb: one page down.
        start, end = self.thumb(state)
        gui.click(*self.along(self.bar_length() - self.thickness - 4))
        paged = self.wait_in_step(lambda s: s.pos > 0, "a page down")
        self.assertGreater(paged.pos, state.page // 2)
        self.assertLessEqual(paged.pos, state.page)

        # The thumb dragged far below the bar: the end of the text.
        start, end = self.thumb(paged)
        gui.drag(self.along((start + end) // 2), self.along(self.bar_length() + 500), steps=10)
        bottom = self.wait_in_step(lambda s: s.pos >= s.largest - 1, "the end of the text")
        self.assertGreater(bottom.first, bottom.lines - 30, "the last lines are in view")
        shot = gui.screenshot("thumb-at-end", self.window.rect)
        start, end = self.thumb(bottom)
        self.assertGreaterEqual(end, self.bar_length() - self.thickness - 1, "the thumb is drawn at the end")
        x, y = self.along((start + end) // 2)
        self.assertEqual(shot.pixel(x, y), cell_pixel(2, 0, self.vertical.width // 2, 6), "the thumb's middle")

        # And far above: its start.
        gui.drag(self.along((start + end) // 2), self.along(-500), steps=10)
        top = self.wait_in_step(lambda s: s.pos == 0, "the start of the text")
        self.assertEqual(top.first, 0)

    def test_5_wheel_and_keyboard_keep_the_bar_in_step(self):
        gui = self.gui
        self.to_top()
        text = (self.limit.rect[0] + 100, self.limit.rect[1] + 100)
        gui.click(*text)
        self.wait_state(lambda s: s.focus == 1, "the text box focused")
        gui.key("ctrl+End")
        self.wait_in_step(lambda s: s.pos >= s.largest - 1, "ctrl+End at the end")
        gui.key("ctrl+Home")
        self.wait_in_step(lambda s: s.pos == 0, "ctrl+Home at the start")
        gui.key("Page_Down", "Page_Down")
        paged = self.wait_in_step(lambda s: s.pos > 0, "two pages down")
        gui.move(*text)
        for _ in range(3):
            gui.xdotool("click", 5)
        wheeled = self.wait_in_step(lambda s: s.pos > paged.pos, "the wheel down over the text")
        # The wheel over the skinned bar scrolls the text too.
        gui.move(*self.along(self.bar_length() // 2))
        for _ in range(3):
            gui.xdotool("click", 4)
        self.wait_in_step(lambda s: s.pos < wheeled.pos, "the wheel up over the bar")
        gui.screenshot("after-wheel", self.window.rect)


class EditBoxWithBothBarsAt144(ScrollBoxBase, unittest.TestCase):
    dpi = 144
    args = ("--edit",)

    def test_both_bars_scroll_and_the_corner_is_painted(self):
        gui = self.gui
        t = self.thickness
        self.assertEqual(t, 18)
        self.assertTrue(self.vertical.visible)
        self.assertTrue(self.horizontal.visible)
        self.assertEqual(self.vertical.width, t)
        self.assertEqual(self.horizontal.height, t)
        client = self.frame.client
        self.assertEqual(self.vertical.rect, [client[2] - t, client[1], client[2], client[3] - t])
        self.assertEqual(self.horizontal.rect, [client[0], client[3] - t, client[2] - t, client[3]])
        shot = gui.screenshot("edit-box-144", self.window.rect)
        corner = shot.crop((client[2] - t, client[3] - t, client[2], client[3]))
        corner_cell = [cell_pixel(8, 0, x, y) for y in range(CELL) for x in range(CELL)]
        self.assertLess(guitest.colour_distance(corner.mean(), tuple(sum(p[c] for p in corner_cell) / len(corner_cell)
                                                                         for c in range(3))), 8)

        # Vertical thumb past both ends.
        state = self.wait_in_step(what="the edit box reported")
        start, end = self.thumb(state)
        gui.drag(self.along((start + end) // 2), self.along(self.bar_length() + 400), steps=8)
        bottom = self.wait_in_step(lambda s: s.pos == s.largest, "the end of the text")
        start, end = self.thumb(bottom)
        gui.drag(self.along((start + end) // 2), self.along(-400), steps=8)
        self.wait_in_step(lambda s: s.pos == 0, "the start of the text")

        # The right arrow of the horizontal bar scrolls sideways; the bar follows.
        right = (self.horizontal.rect[2] - t // 2, self.horizontal.rect[1] + t // 2)
        gui.click(*right)
        time.sleep(0.6)  # two quick clicks make a double click, which a bar ignores
        gui.click(*right)
        sideways = self.wait_state(lambda s: s.hpos > 0 and s.hbar == s.hpos, "scrolled sideways")
        gui.key("End")
        self.wait_state(lambda s: s.hpos > sideways.hpos and s.hbar == s.hpos, "End scrolls to the line's end")
        gui.screenshot("edit-box-144-scrolled", self.window.rect)


if __name__ == "__main__":
    guitest.run_tests()
