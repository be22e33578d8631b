"""Drives weighlet.exe under Wine the way an operator would and looks at it from outside.

On top of harness.py: starts the program in a folder of its own and ends it cleanly,
queries its windows with win-inspect.exe (a console helper in the same prefix that prints
JSON), takes screenshots of the X screen, and works the menus with the keyboard through
xdotool.

Wine and X facts this relies on: Windows screen coordinates are X root coordinates (no
window manager runs on the Xvfb display, and Wine draws the title bars itself, so a click
on a close box reaches it); `GetMenu` works across processes but the menu contents cannot
be read, so menus are read by behaviour and by finding their captions on screen
(`find_menu_text`); keyboard navigation of the menu bar works once the window is in front
and has the X input focus.
"""

import contextlib
import json
import re
import shutil
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

import harness

MAIN_TITLE = "Weighlet"
ABOUT_TITLE = "О программе"

RED = (255, 0, 0)
BLUE = (0, 0, 255)

# Object numbers of the program's windows and elements.
WEIGHT_DISPLAY = 12
UNIT_LABEL = 13
ABOUT_TEXT = 14
STATUS_BAR = 20
ABOUT_TOP_IMAGE = 21
ABOUT_BOTTOM_IMAGE = 23
CLOSE_BUTTON = 25

# The pause after each key, so that the menu has taken it before the next one.
KEY_PAUSE = 0.15


def ensure_environment():
    """Brings up the display and prefix when no test run did (a test run by hand)."""
    state_file = harness.wine_dir() / "env.json"
    try:
        state = json.loads(state_file.read_text())
    except (OSError, ValueError):
        state = {}
    pid = state.get("xvfb_pid")
    if not state.get("display") or (pid and not Path(f"/proc/{pid}").exists()):
        harness.start()


def weighlet_exe():
    return harness.win_build_dir() / "weighlet.exe"


def inspector_exe():
    return harness.win_build_dir() / "tools" / "win-inspect" / "win-inspect.exe"


def wait_until(probe, timeout=10.0, interval=0.1, what="the condition"):
    """Calls probe until it returns something true; returns that. Fails the test with
    `what` and the last value seen when the deadline passes."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise AssertionError(f"{what} did not happen within {timeout} s "
                                 f"(last seen: {value!r})")
        time.sleep(interval)


# --- win-inspect -------------------------------------------------------------------------

def inspect(*args, timeout=30):
    """Runs win-inspect with the arguments; returns (exit status, parsed JSON or None)."""
    with tempfile.NamedTemporaryFile(prefix="win-inspect-", suffix=".json", delete=False) as f:
        out = Path(f.name)
    try:
        proc = harness.wine([inspector_exe(), *args], output=out)
        try:
            status = proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
            raise AssertionError(f"win-inspect {' '.join(args)} did not end in {timeout} s")
        text = out.read_bytes().decode("utf-8", errors="replace")
    finally:
        out.unlink(missing_ok=True)
    if status != 0:
        return status, None
    # Wine may put messages of its own before the JSON; it is the last line.
    lines = [line for line in text.splitlines() if line.strip()]
    try:
        return status, json.loads(lines[-1]) if lines else None
    except ValueError:
        raise AssertionError(f"win-inspect {' '.join(args)} printed no JSON: {text!r}")


def window(title):
    """win-inspect's description of the top-level window with this exact title, or None."""
    status, data = inspect("window", title)
    return data if status == 0 else None


def windows():
    """Every visible top-level window: [{handle, title, class, pid, rect, visible}]."""
    status, data = inspect("windows")
    if status != 0:
        raise AssertionError(f"win-inspect windows failed with {status}")
    return data


def windows_titled(title):
    return [w for w in windows() if w["title"] == title]


def popup_menus():
    """The drop-down menus on screen (Windows' menu window class)."""
    return [w for w in windows() if w["class"] == "#32768"]


def foreground():
    status, data = inspect("foreground")
    return data if status == 0 else None


def post_command(title, number):
    status, _ = inspect("post", title, "command", str(number))
    return status == 0


def post_close(title):
    status, _ = inspect("post", title, "close")
    return status == 0


def send_close(title):
    status, _ = inspect("send", title, "close")
    return status == 0


def activate(title):
    status, _ = inspect("activate", title)
    return status == 0


def find_menu_text(text, area=None):
    """Where `text`, drawn in the menu font the way menus draw it, is on screen:
    [{x, y, width, height, state}] with state "normal" or "highlighted" (an item
    highlighted in a drop-down). `area` is (left, top, right, bottom) in screen pixels."""
    args = ["find-text", text]
    if area is not None:
        args += [str(v) for v in area]
    status, data = inspect(*args)
    if status != 0:
        raise AssertionError(f"win-inspect find-text failed with {status}")
    return data["matches"]


def child(info, number):
    """The element with this control id in a window description, or None."""
    for c in info["children"]:
        if c["id"] == number:
            return c
    return None


def status_fields(info):
    """[(text, align)] of the status bar of a window description; None without one."""
    bar = child(info, STATUS_BAR) or next(
        (c for c in info["children"] if c["class"].lower() == "msctls_statusbar32"), None)
    if bar is None or not bar.get("status") or bar["status"]["parts"] is None:
        return None
    return [(p["text"], p["align"]) for p in bar["status"]["parts"]]


def on_screen(info, element):
    """An element's rectangle (left, top, right, bottom) in screen pixels."""
    origin = info["client_on_screen"]
    r = element["rect"]
    return (origin["left"] + r["left"], origin["top"] + r["top"],
            origin["left"] + r["right"], origin["top"] + r["bottom"])


# --- X screen and keyboard -----------------------------------------------------------------

def _x(args, check=True, timeout=30):
    return subprocess.run(args, env=harness.wine_environment(), capture_output=True, text=True,
                          timeout=timeout, check=check, stdin=subprocess.DEVNULL)


def screenshot(path=None):
    """The whole X screen as a PIL RGB image; also kept at `path` when given."""
    from PIL import Image

    with tempfile.TemporaryDirectory() as tmp:
        shot = Path(tmp) / "screen.png"
        _x(["import", "-window", "root", str(shot)])
        image = Image.open(shot).convert("RGB")
        image.load()
        if path is not None:
            shutil.copyfile(shot, path)
    return image


def count_colour(image, box, colour):
    """Pixels of exactly this colour inside box (left, top, right, bottom)."""
    region = image.crop(box)
    return sum(1 for pixel in region.getdata() if pixel == colour)


def xwindow(title, timeout=10):
    """The X window id of the visible window with this exact title."""
    pattern = "^" + re.escape(title) + "$"

    def probe():
        found = _x(["xdotool", "search", "--onlyvisible", "--name", pattern], check=False)
        ids = found.stdout.split()
        return ids[0] if found.returncode == 0 and ids else None

    return wait_until(probe, timeout, what=f"an X window titled {title!r}")


def keys(title, *names):
    """Brings the window with this title to the front and gives it the X input focus, then
    presses each key (xdotool names: "alt", "Return", "Down", "Right", "alt+F4") with a
    pause after each. (Giving the X focus alone does not change Wine's foreground window.)"""
    target = xwindow(title)
    activate(title)
    _x(["xdotool", "windowfocus", target])
    time.sleep(KEY_PAUSE)
    for name in names:
        _x(["xdotool", "key", name])
        time.sleep(KEY_PAUSE)


def click(x, y):
    _x(["xdotool", "mousemove", str(x), str(y), "click", "1"])


# --- the program -------------------------------------------------------------------------

class Weighlet:
    """weighlet.exe started under Wine in an empty folder of its own (where its screenshots
    land) with its output in a file; ended at exit unless it ended by itself."""

    def __init__(self):
        self.folder = Path(tempfile.mkdtemp(prefix="weighlet-run-"))
        self.output = self.folder.parent / (self.folder.name + ".log")
        self.proc = harness.wine([weighlet_exe()], output=self.output, cwd=self.folder)

    def main_window(self, timeout=30):
        """Waits until the main window is up, with its menu bar and status bar, and the
        first pass of the event loop has filled the clock field; returns its description."""
        def ready():
            self.assert_running()
            info = window(MAIN_TITLE)
            fields = status_fields(info) if info else None
            if info and info["visible"] and info["has_menu"] and fields and len(fields) == 3 \
                    and fields[1][0]:
                return info
            return None

        return wait_until(ready, timeout, interval=0.2, what="the main window")

    def status(self, timeout=10):
        """The status bar fields of the main window [(text, align)]."""
        return wait_until(lambda: status_fields(window(MAIN_TITLE) or {"children": []}),
                          timeout, what="a readable status bar")

    def wait_status(self, field, text, timeout=10):
        """Waits until status field `field` reads `text`; returns its alignment."""
        seen = []

        def probe():
            fields = status_fields(window(MAIN_TITLE) or {"children": []})
            seen[:] = [fields]
            if fields and fields[field][0] == text:
                return fields[field][1]
            return None

        try:
            return wait_until(probe, timeout, what=f"status field {field} reading {text!r}")
        except AssertionError:
            raise AssertionError(f"status field {field} did not read {text!r} within "
                                 f"{timeout} s; fields: {seen[0] if seen else None}")

    def running(self):
        return self.proc.poll() is None

    def assert_running(self):
        if not self.running():
            raise AssertionError(f"weighlet.exe ended with status {self.proc.returncode}; "
                                 f"output: {self.output_text()!r}")

    def wait_exit(self, timeout=10):
        """The exit status, or None when it is still running after timeout seconds."""
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def output_text(self):
        with contextlib.suppress(OSError):
            return self.output.read_text(errors="replace")
        return ""

    def screenshots(self):
        folder = self.folder / "Screenshots"
        return sorted(folder.iterdir()) if folder.is_dir() else []

    def close(self):
        """Ends the program if it still runs: a close request first, then a kill."""
        if self.running():
            if not post_close(MAIN_TITLE) or self.wait_exit(10) is None:
                self.proc.kill()
                self.proc.wait()
        shutil.rmtree(self.folder, ignore_errors=True)
        self.output.unlink(missing_ok=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


# --- menus -------------------------------------------------------------------------------

def choose_port(position):
    """Chooses the drop-down item at `position` (0 for the first) with the keyboard:
    Alt, Return opens "Подключение" with its first item highlighted."""
    keys(MAIN_TITLE, "alt", "Return", *(["Down"] * position), "Return")


def choose_bar_command(position):
    """Chooses the entry of the menu bar at `position` (1 is the one after the drop-down)
    with the keyboard."""
    keys(MAIN_TITLE, "alt", *(["Right"] * position), "Return")


def leave_menu():
    keys(MAIN_TITLE, "Escape", "Escape", "Escape")


def open_drop_down():
    """Opens "Подключение" with the keyboard (its first item highlighted); returns the
    drop-down's rectangle (left, top, right, bottom) on screen. It stays open."""
    keys(MAIN_TITLE, "alt", "Return")
    popup = wait_until(popup_menus, 5, what="the drop-down")[0]["rect"]
    return popup["left"], popup["top"], popup["right"], popup["bottom"]


def drop_down_items(area, numbers=range(1, 10)):
    """The items "COMn" of the open drop-down at `area`, for each n in numbers that is
    there: {n: {"x", "y", "highlighted", "checked"}}. An item is checked when the strip
    left of its caption is not plain."""
    image = screenshot()
    items = {}
    for n in numbers:
        found = find_menu_text(f"COM{n}", area)
        if found:
            f = found[0]
            strip = (area[0] + 3, f["y"] - 2, f["x"] - 2, f["y"] + f["height"] + 2)
            items[n] = {"x": f["x"], "y": f["y"], "highlighted": f["state"] == "highlighted",
                        "checked": len(set(image.crop(strip).getdata())) > 1}
    return items


def scale_log(scale):
    """The simulator's log of a harness.Scale: [(monotonic seconds, kind, rest)], kind one
    of rx, tx, drop, open, close, cmd..."""
    events = []
    with contextlib.suppress(FileNotFoundError):
        for line in scale.log_path.read_text().splitlines():
            parts = line.split(maxsplit=2)
            if len(parts) >= 2 and parts[0].isdigit():
                events.append((int(parts[0]) / 1e9, parts[1], parts[2] if len(parts) > 2 else ""))
    return events


def port_is_open(scale):
    """Whether the program holds the scale's port open, from the simulator's open and
    close events."""
    opens = [kind for _, kind, _ in scale_log(scale) if kind in ("open", "close")]
    return bool(opens) and opens[-1] == "open"


class WineTestCase(unittest.TestCase):
    """Brings up the environment when missing and checks that no Weighlet window is left
    over from an earlier test."""

    @classmethod
    def setUpClass(cls):
        ensure_environment()
        for title in (MAIN_TITLE, ABOUT_TITLE):
            if windows_titled(title):
                raise AssertionError(f"a window titled {title!r} is already open")

    def start(self):
        """weighlet.exe, ended when the test ends."""
        program = Weighlet()
        self.addCleanup(program.close)
        return program

    def scale(self, port, **options):
        """A simulated scale on COMn, ended when the test ends."""
        scale = harness.Scale(port, **options)

        def end():
            scale.close()
            for pipe in (scale.proc.stdin, scale.proc.stdout):
                with contextlib.suppress(OSError):
                    pipe.close()

        self.addCleanup(end)
        return scale
