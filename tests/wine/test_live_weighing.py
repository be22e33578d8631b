"""Live weighing on the real weighlet.exe: ports chosen through the menu with the keyboard,
simulated scales on the other end, the display and status bar read from outside."""

import time
import unittest

import uiprobe
from uiprobe import MAIN_TITLE, RED, BLUE

ENQ, DC1 = 0x05, 0x11
# Drop-down positions: the ports listed are those with a scale, in rising order.
FIRST, SECOND = 0, 1


class LiveWeighingTest(uiprobe.WineTestCase):
    def display_colour(self):
        """The colour of the digits and of "kg": RED, BLUE, or None when neither or both
        show (a half-repainted display)."""
        info = uiprobe.window(MAIN_TITLE)
        image = uiprobe.screenshot()
        colours = set()
        for number, least in ((uiprobe.WEIGHT_DISPLAY, 2000), (uiprobe.UNIT_LABEL, 200)):
            box = uiprobe.on_screen(info, uiprobe.child(info, number))
            red = uiprobe.count_colour(image, box, RED)
            blue = uiprobe.count_colour(image, box, BLUE)
            colours.add(RED if red >= least and not blue else BLUE if blue >= least and not red
                        else None)
        return colours.pop() if len(colours) == 1 else None

    def wait_colour(self, colour, timeout=5):
        uiprobe.wait_until(lambda: self.display_colour() == colour, timeout,
                           what=f"the display turning {'blue' if colour == BLUE else 'red'}")

    def weight_text(self):
        return uiprobe.child(uiprobe.window(MAIN_TITLE), uiprobe.WEIGHT_DISPLAY)["text"]

    def connect(self, program, position, port):
        uiprobe.choose_port(position)
        self.assertEqual(program.wait_status(0, f"Порт COM{port} открыт"), "left")
        self.assertEqual(program.wait_status(2, "Весы подключены"), "right")

    def test_weighing_then_silence(self):
        scale = self.scale(3, weight="12.345")
        program = self.start()
        program.main_window()
        self.connect(program, FIRST, 3)
        uiprobe.wait_until(lambda: self.weight_text() == "12.345", 5, what="the weight 12.345")
        self.wait_colour(BLUE)
        scale.command("weight 7.5")
        uiprobe.wait_until(lambda: self.weight_text() == "   7.5", 5, what="the new weight")

        scale.command("mode silent")
        self.assertEqual(program.wait_status(2, "Весы не обнаружены", timeout=3), "right")
        self.wait_colour(RED, timeout=3)
        self.assertEqual(self.weight_text(), "   7.5", "the last weight stays shown")

        # The scale only ever hears ENQ, and DC1 after each ACK.
        sent = [byte for _, byte in scale.received()]
        self.assertEqual(set(sent), {ENQ, DC1})
        self.assertNotIn([DC1, DC1], [sent[i:i + 2] for i in range(len(sent) - 1)])

    def test_switching_ports_releases_the_old_one(self):
        com3 = self.scale(3, weight="01.000")
        self.scale(5, weight="05.000")
        program = self.start()
        program.main_window()
        self.connect(program, FIRST, 3)
        uiprobe.wait_until(lambda: self.weight_text() == "01.000", 5, what="COM3's weight")

        uiprobe.choose_port(SECOND)
        program.wait_status(0, "Порт COM5 открыт")
        uiprobe.wait_until(lambda: self.weight_text() == "05.000", 5, what="COM5's weight")
        time.sleep(1.0)  # room for any stray byte to reach the old port

        old = uiprobe.scale_log(com3)
        self.assertFalse(uiprobe.port_is_open(com3), "COM3 still open")
        closed_at = [t for t, kind, _ in old if kind == "close"][-1]
        self.assertEqual([t for t, kind, _ in old if kind == "rx" and t > closed_at], [],
                         "bytes reached COM3 after its close")

        items = uiprobe.drop_down_items(uiprobe.open_drop_down(), (3, 5))
        uiprobe.leave_menu()
        self.assertEqual({n: item["checked"] for n, item in items.items()}, {3: False, 5: True})

    def test_port_that_fails_to_open(self):
        self.scale(3)
        com4 = self.scale(4)
        program = self.start()
        program.main_window()
        self.connect(program, FIRST, 3)
        self.wait_colour(BLUE)
        com4.command("detach")

        uiprobe.choose_port(SECOND)
        self.assertEqual(program.wait_status(0, "Порт COM4 открыть не удалось"), "left")
        self.assertEqual(program.wait_status(2, "Весы не обнаружены", timeout=3), "right")
        self.wait_colour(RED, timeout=3)
        program.assert_running()

    def test_close_request_ends_with_status_0_and_releases_the_port(self):
        def click_close_box():
            close_box = uiprobe.window(MAIN_TITLE)["caption_hits"]["close"]
            uiprobe.click(close_box["x"] + 6, close_box["y"])

        closers = {
            "close box": click_close_box,
            "Alt+F4": lambda: uiprobe.keys(MAIN_TITLE, "alt+F4"),
            "WM_CLOSE": lambda: uiprobe.send_close(MAIN_TITLE),
        }
        for name, close in closers.items():
            with self.subTest(name):
                scale = self.scale(3)
                program = self.start()
                program.main_window()
                self.connect(program, FIRST, 3)
                close()
                self.assertEqual(program.wait_exit(10), 0)
                time.sleep(0.5)  # room for any stray byte
                log = uiprobe.scale_log(scale)
                self.assertFalse(uiprobe.port_is_open(scale), "the port was not released")
                closed_at = [t for t, kind, _ in log if kind == "close"][-1]
                self.assertEqual([t for t, kind, _ in log if kind == "rx" and t > closed_at], [])
                self.assertEqual(uiprobe.windows_titled(MAIN_TITLE), [])
                scale.close()


if __name__ == "__main__":
    unittest.main(verbosity=2)
