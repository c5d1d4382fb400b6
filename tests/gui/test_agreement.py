#!/usr/bin/python3
"""Agreement text window with real input, over a stand-in main window of the gallery: where it opens and that
the link toggles it, that its skinned scroll bar stays visible and scrolls through the whole text by arrows,
track, thumb drags past both ends, the wheel and the keyboard, at 96, 120, 144 and 192 dpi."""

import os
import re
import struct
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import guitest  # noqa: E402

GALLERY = "gallery.exe"
LINK, TEXT_BOX, VERTICAL_BAR, HORIZONTAL_BAR = 9100, 1009, 101, 100
SCROLL = re.compile(r"^scroll pos=(-?\d+) max=(-?\d+) page=(\d+) bar=(-?\d+)/(-?\d+)/(-?\d+) first=(\d+) "
                    r"lines=(\d+) last=(-?\d+)/(\d+)$")


def f32(value):
    return struct.unpack("f", struct.pack("f", value))[0]


def trunc(value):
    return int(value)


class State:
    """The text box's scroll state as the gallery reports it."""

    def __init__(self, match):
        (self.pos, self.max, self.page, self.bar_pos, self.bar_max, self.bar_page, self.first, self.lines,
         self.last_y, self.height) = (int(g) for g in match.groups())

    @property
    def end(self):
        """The furthest position of a scroll bar: maximum - page + 1."""
        return self.max - self.page + 1

    @property
    def at_end(self):
        """The text shows its last line. (A rich-edit box may stop one short of the bar's furthest position,
        when its page is the whole height of its client area.)"""
        return self.end - 1 <= self.pos <= self.end and self.last_visible

    @property
    def mirrored(self):
        """The skinned bar shows the text box's scroll state."""
        return (self.bar_pos, self.bar_max, self.bar_page) == (self.pos, self.max, self.page)

    @property
    def last_visible(self):
        return 0 <= self.last_y < self.height

    def __repr__(self):
        return "State(pos=%d end=%d first=%d/%d bar=%d last=%d/%d)" % (self.pos, self.end, self.first, self.lines,
                                                                     self.bar_pos, self.last_y, self.height)


class AgreementTestBase:
    dpi = 96

    @classmethod
    def setUpClass(cls):
        cls.gui = guitest.Session("agreement-%d" % cls.dpi, dpi=cls.dpi)
        cls.gui.__enter__()
        cls.s = f32(cls.dpi / 100.0) if cls.dpi > 100 else 1.0

    @classmethod
    def tearDownClass(cls):
        cls.gui.__exit__(None, None, None)

    # -- helpers

    def start(self, *options):
        gui = self.gui
        self.program = gui.start(gui.program(GALLERY), "agreement", *options)
        self.addCleanup(self.program.kill)
        self.host = gui.wait_window(GALLERY, lambda w: w.child(LINK) is not None, what="stand-in main window")

    def click_link(self):
        self.gui.click(*self.host.child(LINK).center())

    def open(self, *options):
        """Starts the stand-in, clicks its link and returns (frame, content) once the agreement is shown."""
        self.start(*options)
        self.click_link()
        self.program.expect_text("shown 1")
        return self.shown()

    def shown(self):
        content = self.gui.wait_window(GALLERY, lambda w: any(c.cls == "RichEdit20W" for c in w.children),
                                       what="agreement content")
        frame = self.gui.owner_of(GALLERY, content)
        self.assertIsNotNone(frame)
        self.assertTrue(frame.visible)
        return frame, content

    def state(self, condition=lambda st: True, what="scroll state", timeout=10):
        """Waits for a reported scroll state for which condition holds; returns the latest such state."""
        found = []

        def look():
            states = [State(m) for m in (SCROLL.match(line) for line in self.program.output()) if m]
            if states and condition(states[-1]):
                found.append(states[-1])
                return True
            return False

        try:
            self.gui.wait_for(look, timeout=timeout, what=what)
        except guitest.GuiTestError:
            states = [line for line in self.program.output() if line.startswith("scroll")]
            self.fail("%s not reached; last states: %s" % (what, states[-3:]))
        return found[-1]

    def bar(self, content):
        for c in content.children:
            if c.id == VERTICAL_BAR and c.cls == "ScrollBar":
                return c
        self.fail("no skinned vertical bar in %s" % content.children)

    def thumb(self, bar, st):
        """Thumb start and length along the bar (from its top), by the bar's geometry rules."""
        s = self.s
        length = bar.height
        track = max(0, length - trunc(f32(2 * 13 * s)))
        arrow = trunc(f32(13 * s)) if track > 0 else length // 2
        n = st.bar_max
        span = n - st.bar_page + 1
        if track <= 5:
            size = 0
        else:
            v = st.bar_page * track // (n + 1)
            size = v if v > 5 else 6
        start = arrow + (st.bar_pos * (track - size) // span if span > 0 else (track - size) // 2)
        return start, size

    def assertMirrored(self, st):
        self.assertEqual((st.bar_pos, st.bar_max, st.bar_page), (st.pos, st.max, st.page),
                         "the skinned bar shows the text box's scroll state")

    # -- tests shared by every dpi

    def test_opens_at_its_place_and_scrolls_to_the_end_by_the_thumb(self):
        s = self.s
        frame, content = self.open()
        host = self.gui.refresh(GALLERY, self.host)
        # 270 design pixels left of the stand-in's middle, 430 above its bottom.
        left = trunc(f32(host.width // 2 - f32(270 * s))) + host.rect[0]
        top = trunc(f32(host.height - f32(430 * s))) + host.rect[1]
        size = (trunc(f32(541 * s)), trunc(f32(402 * s)))
        self.assertEqual(frame.rect, [left, top, left + size[0], top + size[1]])
        self.assertEqual(content.rect, [frame.rect[0] + trunc(s), frame.rect[1] + trunc(s),
                                        frame.rect[2] - trunc(2 * s), frame.rect[3] - trunc(f32(18 * s))])
        # The text box (wrapped by its scroll-bar frame, which took its id) fills the content but a margin.
        box = content.child(TEXT_BOX)
        inset = trunc(f32(8 * s))
        self.assertEqual(box.rect, [content.client[0] + inset, content.client[1] + inset,
                                    content.client[2] - inset, content.client[3] - inset])
        bar = self.bar(content)
        self.assertTrue(bar.visible, "the skinned scroll bar is shown")
        self.assertEqual(bar.width, trunc(f32(13 * s)))
        self.assertLessEqual(bar.rect[2], box.rect[2])
        self.assertGreaterEqual(bar.rect[0], box.rect[2] - trunc(f32(13 * s)) - 2)
        horizontal = [c for c in content.children if c.id == HORIZONTAL_BAR and c.cls == "ScrollBar"]
        self.assertTrue(all(not h.visible for h in horizontal), "no horizontal bar")
        st = self.state(lambda st: st.max > 0, "text loaded")
        self.assertEqual(st.pos, 0)
        self.assertGreater(st.end, 0, "the agreement does not fit: it scrolls")
        self.assertFalse(st.last_visible)
        self.assertMirrored(st)
        self.gui.screenshot("agreement-%d" % self.dpi, frame.rect)

        # Drag the thumb far below the bar: the text ends at its last line, no further.
        start, length = self.thumb(bar, st)
        self.assertGreater(length, 0)
        grip = (bar.center()[0], bar.rect[1] + start + length // 2)
        self.gui.drag(grip, (grip[0], bar.rect[3] + 300), steps=12)
        # Once the drag ended, the bar takes the text box's position back.
        st = self.state(lambda st: st.at_end and st.mirrored, "the end of the text")
        self.gui.screenshot("agreement-%d-end" % self.dpi, frame.rect)
        bar = self.bar(self.gui.refresh(GALLERY, content))
        self.assertTrue(bar.visible)
        # And far above it: back at the title.
        start, length = self.thumb(bar, st)
        grip = (bar.center()[0], bar.rect[1] + start + length // 2)
        self.gui.drag(grip, (grip[0], bar.rect[1] - 300), steps=12)
        self.state(lambda st: st.pos == 0 and st.first == 0 and st.mirrored, "the top of the text")


class AgreementAt96(AgreementTestBase, unittest.TestCase):
    dpi = 96

    def test_link_toggles_it_and_a_click_elsewhere_hides_it(self):
        frame, content = self.open()
        self.assertEqual((frame.rect[0] - self.host.rect[0], frame.rect[1] - self.host.rect[1]), (130, 170))
        self.click_link()
        self.program.expect(lambda line: line == "shown 0" and self.program.output().count("shown 0") == 1)
        self.gui.wait_gone(GALLERY, lambda w: w.hwnd in (frame.hwnd, content.hwnd), what="agreement to hide")
        self.click_link()
        self.gui.wait_for(lambda: self.program.output().count("shown 1") == 2, what="shown again")
        frame2, content2 = self.shown()
        self.assertEqual((frame2.hwnd, content2.hwnd), (frame.hwnd, content.hwnd), "created once, then reused")
        self.assertEqual(frame2.rect, frame.rect)
        # A press on the stand-in's own area, away from the link, hides it.
        host = self.gui.refresh(GALLERY, self.host)
        self.gui.click(host.client[0] + 20, host.client[1] + 20)
        self.gui.wait_gone(GALLERY, lambda w: w.hwnd in (frame.hwnd, content.hwnd), what="agreement to hide")
        self.assertEqual(self.program.output().count("content created"), 1)

    def test_arrows_and_track_scroll_and_the_bar_follows(self):
        frame, content = self.open()
        st0 = self.state(lambda st: st.max > 0)
        bar = self.bar(content)
        down = (bar.center()[0], bar.rect[3] - 5)
        up = (bar.center()[0], bar.rect[1] + 5)
        # Clicks apart by more than the double-click time: a double click on a bar does nothing.
        self.gui.click(*down)
        st1 = self.state(lambda st: st.pos > st0.pos, "a line down")
        time.sleep(0.6)
        self.gui.click(*down)
        st2 = self.state(lambda st: st.pos > st1.pos, "another line down")
        self.assertMirrored(st2)
        time.sleep(0.6)
        self.gui.click(*up)
        st3 = self.state(lambda st: st.pos < st2.pos, "a line up")
        self.assertMirrored(st3)
        # Track below the thumb: a page down.
        time.sleep(0.6)
        start, length = self.thumb(bar, st3)
        self.gui.click(bar.center()[0], bar.rect[1] + start + length + 10)
        st4 = self.state(lambda st: st.pos >= st3.pos + st.page // 2, "a page down")
        self.assertMirrored(st4)
        # Track above the thumb: a page up.
        time.sleep(0.6)
        start, length = self.thumb(bar, st4)
        self.gui.click(bar.center()[0], bar.rect[1] + start - 3)
        self.state(lambda st: st.pos < st4.pos, "a page up")
        # Holding the down arrow repeats until the end, and no further.
        time.sleep(0.6)
        self.gui.press(*down)
        try:
            st = self.state(lambda st: st.at_end, "the end by the held arrow", timeout=60)
        finally:
            self.gui.release()
        self.assertMirrored(st)
        time.sleep(0.5)
        self.assertEqual(self.state().pos, st.pos)

    def test_wheel_and_keyboard_scroll_the_text(self):
        frame, content = self.open()
        st0 = self.state(lambda st: st.max > 0)
        box = content.child(TEXT_BOX)
        # Focus the text, then turn the wheel.
        self.gui.click(box.rect[0] + 40, box.rect[1] + 40)
        self.gui.xdotool("click", "--repeat", "3", "--delay", "50", "5")
        st1 = self.state(lambda st: st.pos > st0.pos, "wheel down")
        self.assertMirrored(st1)
        self.gui.xdotool("click", "--repeat", "3", "--delay", "50", "4")
        self.state(lambda st: st.pos < st1.pos, "wheel up")
        # Keys: to the end, back to the start, a page down.
        self.gui.key("ctrl+End")
        st = self.state(lambda st: st.at_end, "ctrl+End")
        self.assertMirrored(st)
        self.gui.key("ctrl+Home")
        st = self.state(lambda st: st.pos == 0, "ctrl+Home")
        self.gui.key("Next")
        self.state(lambda st: st.pos > 0, "Page Down")
        # Enter leaves the window as it is; Esc closes it, as a click elsewhere does.
        self.gui.key("Return")
        time.sleep(0.5)
        self.assertEqual(self.program.output().count("shown 0"), 0)
        self.assertTrue(self.gui.refresh(GALLERY, content).visible)
        self.gui.key("Escape")
        self.gui.wait_for(lambda: self.program.output().count("shown 0") == 1, what="Esc to close the window")

    def test_a_short_text_keeps_a_disabled_bar(self):
        frame, content = self.open("--short-text")
        st = self.state(lambda st: st.lines == 2, "the short text")
        self.assertEqual(st.pos, 0)
        bar = self.bar(self.gui.refresh(GALLERY, content))
        self.assertTrue(bar.visible, "the bar stays when the text fits")
        self.assertFalse(bar.enabled, "and is disabled")
        self.gui.screenshot("agreement-short-text", frame.rect)
        self.gui.click(bar.center()[0], bar.rect[3] - 5)
        time.sleep(0.5)
        self.assertEqual(self.state().pos, 0)

    def test_without_its_picture_the_frame_has_no_content(self):
        self.start("--missing-frame")
        self.click_link()
        self.program.expect_text("no content")
        time.sleep(0.5)
        self.assertTrue(self.program.running())
        self.assertFalse(any(any(c.cls == "RichEdit20W" for c in w.children) for w in self.gui.windows(GALLERY)))


class AgreementAt120(AgreementTestBase, unittest.TestCase):
    dpi = 120


class AgreementAt144(AgreementTestBase, unittest.TestCase):
    dpi = 144


class AgreementAt192(AgreementTestBase, unittest.TestCase):
    dpi = 192


if __name__ == "__main__":
    guitest.run_tests()
