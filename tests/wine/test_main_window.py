"""The main window after start-up, seen from outside on the real weighlet.exe: simulated
scales on COM2 and COM5, no device on any other port."""

import datetime
import re
import time
import unittest

import uiprobe
from uiprobe import MAIN_TITLE, RED, BLUE

CLOCK = re.compile(r"Дата: (\d\d)/(\d\d)/(\d{4})   Время: (\d\d):(\d\d)")


class MainWindowTest(uiprobe.WineTestCase):
    def setUp(self):
        self.com2 = self.scale(2)
        self.com5 = self.scale(5)
        self.started = datetime.datetime.now().replace(second=0, microsecond=0)
        self.program = self.start()
        self.info = self.program.main_window()

    def test_frame_size_and_place(self):
        info = self.info
        self.assertEqual(info["title"], MAIN_TITLE)
        client, outer, frame = info["client"], info["rect"], info["frame_without_menu"]
        # The outer size is that of a 620 x 290 client area without a menu bar; the menu
        # bar attached later takes its height from the client area.
        self.assertEqual((outer["width"], outer["height"]),
                         (620 + frame["width"], 290 + frame["height"]))
        menu_height = outer["height"] - frame["height"] - client["height"]
        self.assertEqual(client["width"], 620)
        self.assertEqual(menu_height, info["metrics"]["menu"], "one row of menu bar")
        screen_w, screen_h = info["metrics"]["screen_width"], info["metrics"]["screen_height"]
        self.assertEqual((outer["left"], outer["top"]),
                         ((screen_w - outer["width"]) // 2, (screen_h - outer["height"]) // 2))

    def test_title_bar_and_frame_style(self):
        info = self.info
        self.assertTrue(info["caption"])
        self.assertTrue(info["sysmenu"], "window menu and close box")
        self.assertTrue(info["minimize_box"])
        self.assertFalse(info["maximize_box"])
        self.assertFalse(info["thick_frame"], "resizable")
        self.assertEqual(info["owner"], 0)
        hits = info["caption_hits"]
        self.assertIsNotNone(hits["close"], "no close box on the title bar")
        self.assertIsNotNone(hits["minimize"], "no minimise box on the title bar")
        self.assertFalse(info["iconic"] or info["zoomed"])

    def test_status_bar(self):
        info = self.info
        bar = uiprobe.child(info, uiprobe.STATUS_BAR)
        self.assertIsNotNone(bar, "no status bar with id 20")
        self.assertEqual(bar["class"].lower(), "msctls_statusbar32")
        status = bar["status"]
        self.assertFalse(status["size_grip"])
        parts = status["parts"]
        self.assertEqual([p["right"] for p in parts], [200, 420, 620])
        self.assertEqual([p["border"] for p in parts], ["normal"] * 3)
        self.assertEqual((parts[0]["text"], parts[0]["align"]), ("Порт закрыт", "left"))
        self.assertEqual((parts[2]["text"], parts[2]["align"]), ("Весы не обнаружены", "right"))
        # Along the bottom of the client area, full width, at least 18 pixels high.
        r, client = bar["rect"], info["client"]
        self.assertEqual((r["left"], r["right"], r["bottom"]), (0, 620, client["height"]))
        self.assertGreaterEqual(r["height"], 18)

        # The clock field holds the local time of the last loop pass.
        self.assertEqual(parts[1]["align"], "centre")
        match = CLOCK.fullmatch(parts[1]["text"])
        self.assertIsNotNone(match, parts[1]["text"])
        day, month, year, hour, minute = map(int, match.groups())
        shown = datetime.datetime(year, month, day, hour, minute)
        self.assertLessEqual(self.started, shown)
        self.assertLessEqual(shown, datetime.datetime.now())

    def test_red_display_with_zero_weight(self):
        info = self.info
        weight = uiprobe.child(info, uiprobe.WEIGHT_DISPLAY)
        unit = uiprobe.child(info, uiprobe.UNIT_LABEL)
        self.assertIsNotNone(weight, "no weight display with id 12")
        self.assertIsNotNone(unit, "no unit label with id 13")
        self.assertEqual(weight["text"], "00.000")
        self.assertEqual(unit["text"], "kg")
        self.assertEqual(rect(weight), (8, 40, 500, 170))
        self.assertEqual(rect(unit), (512, 125, 80, 80))

        image = uiprobe.screenshot()
        digits, kg = uiprobe.on_screen(info, weight), uiprobe.on_screen(info, unit)
        self.assertGreater(uiprobe.count_colour(image, digits, RED), 2000, "digits not red")
        self.assertGreater(uiprobe.count_colour(image, kg, RED), 200, "kg not red")
        self.assertEqual(uiprobe.count_colour(image, digits, BLUE), 0)
        self.assertEqual(uiprobe.count_colour(image, kg, BLUE), 0)
        # The face colour of the window is behind the labels too.
        origin = info["client_on_screen"]
        face = image.getpixel((origin["left"] + 2, origin["top"] + 2))
        self.assertEqual(image.getpixel((digits[0] + 1, digits[1] + 1)), face)
        self.assertEqual(image.getpixel((kg[2] - 2, kg[3] - 2)), face)

    def test_probe_leaves_the_ports_closed_and_silent(self):
        for scale in (self.com2, self.com5):
            events = [kind for _, kind, _ in uiprobe.scale_log(scale)]
            self.assertIn("open", events, f"COM{scale.port} was never probed")
            self.assertFalse(uiprobe.port_is_open(scale), f"COM{scale.port} left open")
            self.assertNotIn("rx", events, f"COM{scale.port} got bytes before any choice")

    def test_menu_bar_entries(self):
        info = self.info
        bar_area = (info["rect"]["left"], info["rect"]["top"], info["rect"]["right"],
                    info["client_on_screen"]["top"])
        places = []
        for caption in ("Подключение", "Снимок экрана", "О программе"):
            found = uiprobe.find_menu_text(caption, bar_area)
            self.assertEqual(len(found), 1, f"{caption!r} on the menu bar: {found}")
            places.append((found[0]["x"], found[0]["y"]))
        self.assertEqual(sorted(places), places, "bar entries out of order")
        self.assertEqual(len({y for _, y in places}), 1, "bar entries not on one row")

        # The second and third entries are commands, not drop-downs; a third step to the
        # right comes back to the drop-down, so the bar has these three entries only. The
        # third one opens the About window, which is left to the About test.
        uiprobe.choose_bar_command(1)
        time.sleep(0.5)
        self.assertEqual(uiprobe.popup_menus(), [], "the second bar entry opened a drop-down")
        self.program.assert_running()
        uiprobe.keys(MAIN_TITLE, "alt", "Right", "Right", "Right", "Return")
        uiprobe.wait_until(uiprobe.popup_menus, 5, what="the drop-down after wrapping")
        uiprobe.leave_menu()

    def test_drop_down_lists_the_ports_that_opened(self):
        area = uiprobe.open_drop_down()
        items = uiprobe.drop_down_items(area)
        self.assertEqual(sorted(items), [2, 5])
        com2, com5 = items[2], items[5]
        self.assertEqual(com2["x"], com5["x"])
        self.assertLess(com2["y"], com5["y"], "COM2 must come before COM5")
        self.assertFalse(com2["checked"] or com5["checked"], "a check mark at start")

        # Exactly two items: the highlight goes COM2, COM5 and back to COM2.
        highlighted = []
        for step in range(3):
            if step:
                uiprobe.keys(MAIN_TITLE, "Down")
            now = uiprobe.drop_down_items(area, (2, 5))
            highlighted.append([n for n, item in now.items() if item["highlighted"]])
        self.assertEqual(highlighted, [[2], [5], [2]])

        # Item n opens COMn.
        uiprobe.keys(MAIN_TITLE, "Return")
        self.assertEqual(self.program.wait_status(0, "Порт COM2 открыт"), "left")
        uiprobe.wait_until(lambda: uiprobe.port_is_open(self.com2), 5, what="COM2 opened")
        uiprobe.choose_port(1)
        self.assertEqual(self.program.wait_status(0, "Порт COM5 открыт"), "left")
        uiprobe.wait_until(lambda: uiprobe.port_is_open(self.com5), 5, what="COM5 opened")


def rect(element):
    r = element["rect"]
    return (r["left"], r["top"], r["width"], r["height"])


if __name__ == "__main__":
    unittest.main(verbosity=2)
