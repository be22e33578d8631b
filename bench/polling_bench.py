"""Polling timing of the real weighlet.exe under Wine, measured from the simulated scales'
side, and its CPU use. Prints each figure beside its goal; asserts nothing.

    WEIGHLET_NATIVE_BUILD=build/native WEIGHLET_WIN_BUILD=build/win python3 bench/polling_bench.py
"""

import json
import os
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "wine"))
import harness  # noqa: E402

MEASURE_S = float(os.environ.get("WEIGHLET_BENCH_SECONDS", "10"))


def inspect(*args):
    exe = harness.win_build_dir() / "tools" / "win-inspect" / "win-inspect.exe"
    out = subprocess.run(["wine", str(exe), *args], env=harness.wine_environment(),
                         stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=60)
    return out.returncode, out.stdout


def wait_for_window(title, timeout=30):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        code, out = inspect("window", title)
        if code == 0:
            return json.loads(out)
        time.sleep(0.2)
    raise RuntimeError(f"no window {title!r}")


def choose_port(n):
    code, _ = inspect("post", "Weighlet", "command", str(n))
    if code != 0:
        raise RuntimeError(f"could not choose COM{n}")


def log_events(scale):
    """(seconds, kind, byte or None) from the simulator's log."""
    out = []
    try:
        lines = scale.log_path.read_text().splitlines()
    except FileNotFoundError:
        return out
    for line in lines:
        parts = line.split()
        if len(parts) >= 2:
            t = int(parts[0]) / 1e9
            value = int(parts[2], 16) if parts[1] == "rx" and len(parts) == 3 else None
            out.append((t, parts[1], value))
    return out


def enq_times(scale, since=0.0):
    return [t for t, kind, b in log_events(scale) if kind == "rx" and b == 0x05 and t >= since]


def periods_ms(times):
    return [(b - a) * 1000 for a, b in zip(times, times[1:])]


def process_cpu_seconds(name="weighlet.exe"):
    ticks = os.sysconf("SC_CLK_TCK")
    for stat in Path("/proc").glob("[0-9]*/stat"):
        try:
            text = stat.read_text()
        except OSError:
            continue
        comm = text[text.index("(") + 1:text.rindex(")")]
        if name.startswith(comm) or comm.startswith(name[:15]):
            fields = text[text.rindex(")") + 2:].split()
            return (int(fields[11]) + int(fields[12])) / ticks
    return None


def report(label, value, goal, unit="ms"):
    print(f"{label:<52} {value:>9.2f} {unit:<3} goal: {goal}")


def main():
    harness.start()
    with harness.Scale(1, weight="01.250", mode="silent") as first, \
            harness.Scale(2, weight="02.500") as second, \
            tempfile.TemporaryDirectory() as cwd:
        proc = harness.wine([harness.win_build_dir() / "weighlet.exe"],
                            output=Path(cwd) / "weighlet.log", cwd=cwd)
        try:
            wait_for_window("Weighlet")
            choose_port(1)
            time.sleep(1.0)
            start = time.monotonic()
            cpu0 = process_cpu_seconds()
            time.sleep(MEASURE_S)
            cpu1 = process_cpu_seconds()
            wall = time.monotonic() - start
            silent = periods_ms(enq_times(first, since=start))

            first.command("mode answer")
            time.sleep(1.0)
            start = time.monotonic()
            time.sleep(MEASURE_S)
            answering = periods_ms(enq_times(first, since=start))

            choose_port(2)
            time.sleep(1.5)
            events = log_events(first)
            closes = [t for t, kind, _ in events if kind == "close"]
            closed_at = closes[-1] if closes else None
            late = [t for t, kind, _ in events if kind == "rx" and closed_at and t > closed_at]
            opens = [t for t, kind, _ in log_events(second) if kind == "open"]
            opened_at = opens[-1] if opens else None
            first_enq = enq_times(second, since=opened_at or 0)
        finally:
            inspect("post", "Weighlet", "close")
            try:
                proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                proc.kill()

    print(f"polling for {MEASURE_S:.0f} s per figure, {len(silent)} silent and "
          f"{len(answering)} answering cycles")
    report("ENQ-to-ENQ, silent scale, median", statistics.median(silent), "within 2 ms of 200")
    report("ENQ-to-ENQ, silent scale, worst", max(silent, key=lambda p: abs(p - 200)),
           "within 2 ms of 200")
    report("ENQ-to-ENQ, answering scale, median", statistics.median(answering),
           "within 4 ms of 400")
    report("ENQ-to-ENQ, answering scale, worst", max(answering, key=lambda p: abs(p - 400)),
           "within 4 ms of 400")
    if closed_at and opened_at and first_enq:
        report("switch: old port closed to new port opened", (opened_at - closed_at) * 1000,
               "(the open itself)")
        report("switch: new port opened to its first ENQ", (first_enq[0] - opened_at) * 1000,
               "under 20 ms")
        report("switch: old port closed to first ENQ on the new", (first_enq[0] - closed_at) * 1000,
               "under 20 ms beyond the open")
    else:
        print("switch: could not find the close/open in the simulators' logs")
    print(f"{'bytes reaching the old port after its close':<52} {len(late):>9d}     goal: 0")
    if cpu0 is not None and cpu1 is not None:
        report("CPU while polling (silent scale)", (cpu1 - cpu0) / wall * 100,
               "under 1 % of one core", unit="%")
    else:
        print("CPU: weighlet.exe process not found")
    return 0


if __name__ == "__main__":
    sys.exit(main())
