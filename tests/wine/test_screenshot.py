"""Screenshots taken by the real weighlet.exe through its menu: the PNG file under
"Screenshots" in the program's current folder, its size, pixels and chunks."""

import re
import struct
import time
import unittest
import zlib

import uiprobe
from uiprobe import MAIN_TITLE, RED

NAME = re.compile(r"^\d{6}-\d\d_\d\d_\d\d\.png$")


def png_chunks(data):
    """[(type, length)] of a PNG file; fails on a bad signature or CRC."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG signature"
    chunks, at = [], 8
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        crc, = struct.unpack(">I", data[at + 8 + length:at + 12 + length])
        assert zlib.crc32(kind + body) == crc, f"bad CRC in {kind!r}"
        chunks.append((kind.decode("ascii"), length, body))
        at += 12 + length
    return chunks


class ScreenshotTest(uiprobe.WineTestCase):
    def setUp(self):
        self.program = self.start()
        self.info = self.program.main_window()

    def take(self):
        """"Снимок экрана" from the menu bar with the keyboard, as an operator would."""
        uiprobe.choose_bar_command(1)

    def test_menu_command_writes_the_main_window_as_png(self):
        self.take()
        files = uiprobe.wait_until(self.program.screenshots, 10, what="a screenshot file")
        time.sleep(0.3)  # the replace is the last step; let a second file show if any
        files = self.program.screenshots()
        self.assertEqual(len(files), 1, files)
        self.assertRegex(files[0].name, NAME)

        data = files[0].read_bytes()
        chunks = png_chunks(data)
        kinds = [k for k, _, _ in chunks]
        self.assertEqual(kinds[0], "IHDR")
        self.assertEqual(kinds[-1], "IEND")
        self.assertEqual(set(kinds[1:-1]), {"IDAT"}, "no chunk but IHDR, IDAT and IEND")
        self.assertTrue(all(length <= 8192 for k, length, _ in chunks if k == "IDAT"))
        width, height, depth, colour, compression, filt, interlace = struct.unpack(
            ">IIBBBBB", chunks[0][2])
        self.assertEqual((depth, colour, compression, filt, interlace), (8, 2, 0, 0, 0))

        outer, client = self.info["rect"], self.info["client"]
        self.assertEqual((width, height), (outer["width"], outer["height"]),
                         "the window's outer rectangle, frame and title bar included")
        self.assertGreater(height, client["height"])
        self.assertGreater(width, client["width"])

        from PIL import Image
        picture = Image.open(files[0]).convert("RGB")
        display = uiprobe.child(self.info, uiprobe.WEIGHT_DISPLAY)["rect"]
        dx = self.info["client_on_screen"]["left"] - outer["left"]
        dy = self.info["client_on_screen"]["top"] - outer["top"]
        box = (dx + display["left"], dy + display["top"], dx + display["right"],
               dy + display["bottom"])
        self.assertGreater(uiprobe.count_colour(picture, box, RED), 2000, "the red digits")

    def test_two_in_the_same_second_leave_one_file(self):
        # Both commands must fall into one second; each attempt starts just after a second
        # begins. Two files with different names mean the second one came too late: try
        # again. An implementation that keeps both never gets down to one file.
        for attempt in range(4):
            for old in self.program.screenshots():
                old.unlink()
            while time.time() % 1.0 > 0.05:
                time.sleep(0.005)
            uiprobe.post_command(MAIN_TITLE, 18)
            uiprobe.post_command(MAIN_TITLE, 18)
            uiprobe.wait_until(self.program.screenshots, 10, what="a screenshot file")
            time.sleep(0.5)
            files = self.program.screenshots()
            names = {f.name for f in files}
            self.assertTrue(all(NAME.match(n) for n in names), names)
            if len(files) == 1:
                return
        self.fail(f"two screenshots in one second never left a single file: {names}")


if __name__ == "__main__":
    unittest.main()
