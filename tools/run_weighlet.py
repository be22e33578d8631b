"""Starts weighlet.exe under Wine with a simulated CAS scale on COM1 (see scripts/run).

Without a display it runs in Xvfb, chooses COM1 from the menu, saves a screenshot of the
screen, prints its path and ends the program and the simulator."""

import os
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "wine"))
import harness  # noqa: E402


def wait_for_window(title, timeout=30):
    env = harness.wine_environment()
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                               env=env, capture_output=True, text=True)
        if found.returncode == 0 and found.stdout.strip():
            return found.stdout.split()[0]
        time.sleep(0.2)
    return None


def main():
    headless = not os.environ.get("DISPLAY")
    harness.start(display=None if headless else os.environ["DISPLAY"])
    exe = harness.win_build_dir() / "weighlet.exe"
    with harness.Scale(1, weight="01.250") as scale:
        log = harness.wine_dir() / "weighlet.log"
        # The program keeps no state and takes no command line; screenshots land in the
        # current folder, so run it from the build folder.
        proc = harness.wine([exe], output=log, cwd=harness.wine_dir())
        if not headless:
            print(f"Weighlet runs with a simulated scale on COM1 (log: {scale.log_path})")
            status = proc.wait()
            harness.stop()
            return status
        window = wait_for_window("Weighlet")
        if window is None:
            proc.kill()
            print("the Weighlet window did not show", file=sys.stderr)
            return 1
        # Choose COM1 from "Подключение" as an operator would (Alt, Return opens the
        # drop-down, Return takes its first item), so the picture shows live weighing.
        env = harness.wine_environment()
        subprocess.run(["xdotool", "windowfocus", "--sync", window], env=env)
        for key in ("alt", "Return", "Return"):
            time.sleep(0.2)
            subprocess.run(["xdotool", "key", key], env=env)
        time.sleep(1.5)  # a few polling cycles
        shot = harness.wine_dir() / "weighlet-screen.png"
        subprocess.run(["import", "-window", "root", str(shot)], env=harness.wine_environment(),
                       check=True)
        print(shot)
        subprocess.run(["xdotool", "windowclose", window], env=harness.wine_environment())
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
    harness.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
