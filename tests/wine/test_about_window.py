"""The About window of the real weighlet.exe, opened from the menu bar with the keyboard."""

import unittest

from PIL import Image

import harness
import uiprobe
from uiprobe import ABOUT_TITLE, MAIN_TITLE

ABOUT_COMMAND = 2  # the third entry of the menu bar
BITMAPS = {uiprobe.ABOUT_TOP_IMAGE: harness.ROOT / "assets" / "about_top.bmp",
           uiprobe.ABOUT_BOTTOM_IMAGE: harness.ROOT / "assets" / "about_bottom.bmp"}
FIRST_LINE = "Программа предназначена для проверки связи с весами CAS."


def wait_for_about():
    """The About window's description once it shows with its four elements."""
    def ready():
        about = uiprobe.window(ABOUT_TITLE)
        if about and about["visible"] and all(
                uiprobe.child(about, n) for n in (21, 14, 23, 25)):
            return about
        return None

    return uiprobe.wait_until(ready, 5, what="the About window with its four elements")


class AboutWindowTest(uiprobe.WineTestCase):
    def setUp(self):
        self.program = self.start()
        self.program.main_window()

    def open_about(self):
        uiprobe.choose_bar_command(ABOUT_COMMAND)
        return wait_for_about()

    def assert_pictures_shown(self, about):
        for number, path in BITMAPS.items():
            label = uiprobe.child(about, number)
            expected = Image.open(path).convert("RGB")
            box = uiprobe.on_screen(about, label)
            self.assertEqual((box[2] - box[0], box[3] - box[1]), expected.size,
                             f"image label {number}")

            def shown():
                pixels = uiprobe.screenshot().crop(box).getdata()
                same = sum(a == b for a, b in zip(pixels, expected.getdata()))
                return same > 0.99 * expected.width * expected.height

            uiprobe.wait_until(shown, 5, what=f"image label {number} showing {path.name}")

    def test_window_and_contents(self):
        about = self.open_about()
        client, outer, frame = about["client"], about["rect"], about["frame_without_menu"]
        self.assertEqual((client["width"], client["height"]), (200, 290))
        self.assertEqual((outer["width"], outer["height"]),
                         (200 + frame["width"], 290 + frame["height"]))
        screen_w, screen_h = about["metrics"]["screen_width"], about["metrics"]["screen_height"]
        self.assertEqual((outer["left"], outer["top"]),
                         ((screen_w - outer["width"]) // 2, (screen_h - outer["height"]) // 2))
        # A title bar only.
        self.assertTrue(about["caption"])
        for flag in ("sysmenu", "minimize_box", "maximize_box", "thick_frame", "has_menu"):
            self.assertFalse(about[flag], flag)
        self.assertEqual(about["caption_hits"],
                         {"sysmenu": None, "minimize": None, "maximize": None, "close": None})
        self.assertEqual(about["owner"], 0)

        places = {c["id"]: (c["rect"]["left"], c["rect"]["top"], c["rect"]["width"],
                            c["rect"]["height"]) for c in about["children"]}
        self.assertEqual(places, {21: (15, 15, 171, 52), 14: (0, 85, 200, 75),
                                  23: (15, 170, 171, 51), 25: (60, 250, 80, 30)})
        text = uiprobe.child(about, uiprobe.ABOUT_TEXT)["text"]
        lines = text.split("\r\n")
        self.assertEqual(len(lines), 4, repr(text))
        self.assertEqual(lines[:2], [FIRST_LINE, ""])
        self.assertRegex(lines[2], r"^© \S")
        self.assertRegex(lines[3], r"^\S+@\S+\.\S+$")
        self.assertEqual(uiprobe.child(about, uiprobe.CLOSE_BUTTON)["text"], "Закрыть")
        self.assert_pictures_shown(about)

        # Not modal: the main window stays usable.
        self.assertTrue(uiprobe.window(MAIN_TITLE)["enabled"])

    def test_close_button_and_reopening(self):
        about = self.open_about()
        button = uiprobe.child(about, uiprobe.CLOSE_BUTTON)
        left, top, right, bottom = uiprobe.on_screen(about, button)
        uiprobe.click((left + right) // 2, (top + bottom) // 2)
        uiprobe.wait_until(lambda: not uiprobe.windows_titled(ABOUT_TITLE), 5,
                           what="the About window closing")
        self.program.assert_running()
        self.assert_pictures_shown(self.open_about())

    def test_second_choice_brings_it_to_the_front(self):
        self.open_about()
        uiprobe.activate(MAIN_TITLE)
        uiprobe.wait_until(lambda: (uiprobe.foreground() or {}).get("title") == MAIN_TITLE, 5,
                           what="the main window in front")
        uiprobe.choose_bar_command(ABOUT_COMMAND)
        uiprobe.wait_until(lambda: (uiprobe.foreground() or {}).get("title") == ABOUT_TITLE, 5,
                           what="the About window in front")
        self.assertEqual(len(uiprobe.windows_titled(ABOUT_TITLE)), 1)


class AboutCloseRequestTest(uiprobe.WineTestCase):
    def test_close_request_on_about_ends_the_program(self):
        closers = {
            "Alt+F4": lambda: uiprobe.keys(ABOUT_TITLE, "alt+F4"),
            "WM_CLOSE": lambda: uiprobe.post_close(ABOUT_TITLE),
        }
        for name, close in closers.items():
            with self.subTest(name):
                scale = self.scale(3)
                program = self.start()
                program.main_window()
                uiprobe.choose_port(0)
                program.wait_status(2, "Весы подключены")
                uiprobe.choose_bar_command(ABOUT_COMMAND)
                wait_for_about()
                close()
                self.assertEqual(program.wait_exit(10), 0)
                self.assertEqual(uiprobe.windows_titled(ABOUT_TITLE), [])
                self.assertFalse(uiprobe.port_is_open(scale), "the port was not released")
                scale.close()


if __name__ == "__main__":
    unittest.main(verbosity=2)
