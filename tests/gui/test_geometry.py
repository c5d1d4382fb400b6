#!/usr/bin/python3
"""The frame, the main window and the pages above 100 dpi, where the scale factor is dpi / 100: at 120 dpi
(32-bit prefix) and at 125 dpi (64-bit prefix), with the start page's button at s = 1.25."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import guitest  # noqa: E402
import tool  # noqa: E402


def client_offset(main, win):
    return [win.rect[0] - main.client[0], win.rect[1] - main.client[1]]


class GeometryTest(unittest.TestCase):
    def open_main_window(self, dpi, prefix_name):
        gui = guitest.Session("geometry-%d" % dpi, dpi=dpi, prefix_template=tool.prefix_template(prefix_name))
        gui.__enter__()
        self.addCleanup(gui.__exit__, None, None, None)
        self.assertEqual(gui.screen_info["dpi"], dpi)
        run = tool.Tool(gui, prefix_name)
        self.addCleanup(run.program.kill)
        main = run.wait_main_window()
        return gui, run, main, run.frame_of(main)

    def test_120_dpi_main_window_959_by_719_in_a_965_by_725_frame(self):
        gui, run, main, frame = self.open_main_window(120, "win32")
        self.assertEqual(main.size(), (959, 719))
        self.assertEqual(frame.size(), (965, 725))
        self.assertEqual([main.rect[0] - frame.rect[0], main.rect[1] - frame.rect[1]], [3, 2])
        self.assertEqual([frame.rect[2] - main.rect[2], frame.rect[3] - main.rect[3]], [3, 4])
        screen = gui.screen_info["screen"]
        # Placed from the 967 x 727 picture centred on the screen.
        self.assertEqual(main.rect[:2], [screen[0] // 2 - 483 + 3, screen[1] // 2 - 363 + 2])
        page = run.parent_of(main, main.child(tool.START_BUTTON))
        self.assertEqual(client_offset(main, page), [45, 50])
        self.assertEqual(page.size(), (868, 381))
        close = main.child(tool.CLOSE)
        self.assertEqual(client_offset(main, close) + [close.width, close.height], [921, 0, 31, 40])
        run.wait_painted(main.child(tool.START_BUTTON))
        gui.screenshot("main-window-120dpi", frame.rect)
        self.assertEqual(run.close(main), 0)

    def test_125_dpi_start_page_905_by_397_with_its_button_at_290_272(self):
        gui, run, main, frame = self.open_main_window(125, "win64")
        # The 1007 x 757 picture less 7.5 pixels; the frame 3, 2, 3 and 5 pixels around.
        self.assertEqual(main.size(), (999, 749))
        self.assertEqual(frame.size(), (1005, 756))
        button = main.child(tool.START_BUTTON)
        page = run.parent_of(main, button)
        self.assertEqual(client_offset(main, page), [47, 52])
        self.assertEqual(page.size(), (905, 397))
        self.assertEqual([button.rect[0] - page.client[0], button.rect[1] - page.client[1]], [290, 272])
        self.assertEqual(button.size(), (323, 106))
        run.wait_painted(button)
        gui.screenshot("main-window-125dpi", frame.rect)
        self.assertEqual(run.close(main), 0)


if __name__ == "__main__":
    guitest.run_tests()
