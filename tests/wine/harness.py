"""Runs Weighlet's Windows programs under Wine in a virtual X display, with simulated
CAS scales on pseudo-terminals attached to Wine as COM1 to COM9.

The prefix, the port links and the display live under the native build folder, so that
every build has a Wine of its own:

    <build>/wine/prefix    the Wine prefix, initialised once
    <build>/wine/ports/comN  link to the pseudo-terminal of the scale on COMn; COMn whose
                           link is missing does not open
    <build>/wine/env.json  the running display

Used by the Wine tests (as a module) and by scripts/run; `harness.py start` and
`harness.py stop` bring the environment up and down.
"""

import contextlib
import json
import os
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]


def build_dir():
    return Path(os.environ.get("WEIGHLET_NATIVE_BUILD", ROOT / "build" / "native"))


def win_build_dir():
    return Path(os.environ.get("WEIGHLET_WIN_BUILD", ROOT / "build" / "win"))


def wine_dir():
    return build_dir() / "wine"


def prefix_dir():
    return wine_dir() / "prefix"


def ports_dir():
    return wine_dir() / "ports"


def scale_sim_path():
    return Path(os.environ.get("WEIGHLET_SCALE_SIM", build_dir() / "tools" / "scale-sim" / "scale-sim"))


def port_link(number):
    return ports_dir() / f"com{number}"


def windows_path(path):
    """The path as a Windows program in the prefix sees it (through drive Z:)."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def _state_file():
    return wine_dir() / "env.json"


def _read_state():
    try:
        return json.loads(_state_file().read_text())
    except (OSError, ValueError):
        return {}


def wine_environment(display=None):
    env = dict(os.environ)
    env["WINEPREFIX"] = str(prefix_dir())
    env["WINEDEBUG"] = "-all"
    env["WINEDLLOVERRIDES"] = "mscoree,mshtml="
    env["WINEARCH"] = "win64"
    if display is None:
        display = _read_state().get("display") or os.environ.get("DISPLAY")
    if display:
        env["DISPLAY"] = display
    return env


def _run(args, env, timeout=120, check=True):
    return subprocess.run(args, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL, timeout=timeout, check=check,
                          start_new_session=True)


def _free_display():
    for n in range(90, 200):
        if not Path(f"/tmp/.X11-unix/X{n}").exists() and not Path(f"/tmp/.X{n}-lock").exists():
            return n
    raise RuntimeError("no free X display number")


def _display_ready(display):
    env = dict(os.environ, DISPLAY=display)
    return subprocess.run(["xdpyinfo"], env=env, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0


def start_display():
    """Starts Xvfb unless one of ours runs already; returns the display name."""
    state = _read_state()
    pid = state.get("xvfb_pid")
    if pid and Path(f"/proc/{pid}").exists() and _display_ready(state["display"]):
        return state["display"]
    n = _free_display()
    display = f":{n}"
    wine_dir().mkdir(parents=True, exist_ok=True)
    proc = subprocess.Popen(["Xvfb", display, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                            start_new_session=True)
    for _ in range(200):
        if _display_ready(display):
            break
        time.sleep(0.05)
    else:
        proc.kill()
        raise RuntimeError("Xvfb did not start")
    state.update(display=display, xvfb_pid=proc.pid)
    _state_file().write_text(json.dumps(state))
    return display


def _write_port_registry(env):
    lines = ["Windows Registry Editor Version 5.00", "",
             "[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]"]
    for n in range(1, 10):
        lines.append(f'"COM{n}"="{port_link(n)}"')
    # Xvfb has no window manager: let Wine draw the frames and title bars itself, so that
    # screenshots show them as on Windows, and manage the windows itself (with no manager
    # to answer, closing a top-level window otherwise waits about two seconds).
    lines += ["", "[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]", '"Decorated"="N"',
              '"Managed"="N"']
    reg = wine_dir() / "ports.reg"
    reg.write_text("\r\n".join(lines) + "\r\n", encoding="utf-16")
    _run(["wineserver", "-k"], env, check=False)
    _run(["wineserver", "-w"], env, check=False)
    _run(["wine", "regedit", "/S", str(reg)], env)
    _run(["wineserver", "-w"], env, check=False)
    for link in (prefix_dir() / "dosdevices").glob("com*"):
        link.unlink()


def start(display=None):
    """Brings up the display (Xvfb, unless a display is given) and the prefix with COM1 to
    COM9 mapped to our port links."""
    if display is None:
        display = start_display()
    else:
        state = _read_state()
        state.update(display=display, xvfb_pid=None)
        wine_dir().mkdir(parents=True, exist_ok=True)
        _state_file().write_text(json.dumps(state))
    env = wine_environment(display)
    ports_dir().mkdir(parents=True, exist_ok=True)
    for n in range(1, 10):
        with contextlib.suppress(FileNotFoundError):
            port_link(n).unlink()
    if not (prefix_dir() / "system.reg").exists():
        prefix_dir().parent.mkdir(parents=True, exist_ok=True)
        _run(["wineboot", "-i"], env, timeout=300)
        _run(["wineserver", "-w"], env, check=False)
    _write_port_registry(env)
    # Keep the wine server and Wine's own services up between the tests' programs, so
    # that starts are quick, and start them here with no terminal or pipe: whatever they
    # inherit they hold until the server ends.
    subprocess.Popen(["wineserver", "-p"], env=env, stdin=subprocess.DEVNULL,
                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                     start_new_session=True).wait(timeout=30)
    _run(["wine", "cmd", "/c", "exit"], env)
    return display


def stop():
    env = wine_environment()
    _run(["wineserver", "-k"], env, check=False)
    state = _read_state()
    pid = state.get("xvfb_pid")
    if pid:
        with contextlib.suppress(ProcessLookupError):
            os.kill(pid, signal.SIGTERM)
    with contextlib.suppress(FileNotFoundError):
        _state_file().unlink()


class Scale:
    """A simulated CAS scale attached as COMn while the object lives."""

    def __init__(self, port, weight="00.000", mode="answer", extra=()):
        self.port = port
        # Not "comN.*": Windows takes any such name for the device COMn.
        tmp = wine_dir() / "scales"
        tmp.mkdir(parents=True, exist_ok=True)
        self.log_path = tmp / f"scale{port}.log"
        self.control_path = tmp / f"scale{port}.control"
        for p in (self.log_path, self.control_path):
            with contextlib.suppress(FileNotFoundError):
                p.unlink()
        self.control_path.touch()
        args = [str(scale_sim_path()), "--link", str(port_link(port)), "--weight", weight,
                "--mode", mode, "--log", str(self.log_path), "--control", str(self.control_path),
                *extra]
        self.proc = subprocess.Popen(args, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, text=True, bufsize=1)
        line = self.proc.stdout.readline()
        if not line.startswith("ready"):
            self.close()
            raise RuntimeError(f"scale-sim on COM{port} did not start: {line!r}")

    def command(self, text):
        """Sends a command (`mode silent`, `weight 12.345`, `detach`...) and waits for it."""
        self.proc.stdin.write(text + "\n")
        self.proc.stdin.flush()
        while True:
            line = self.proc.stdout.readline()
            if not line:
                raise RuntimeError("scale-sim ended")
            if line.startswith("ok"):
                return

    def received(self):
        """(monotonic seconds, byte) for every byte the scale received so far."""
        out = []
        with contextlib.suppress(FileNotFoundError):
            for line in self.log_path.read_text().splitlines():
                parts = line.split()
                if len(parts) == 3 and parts[1] == "rx":
                    out.append((int(parts[0]) / 1e9, int(parts[2], 16)))
        return out

    def close(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def wine(args, extra_env=None, output=None, cwd=None):
    """Starts a Windows program under Wine; returns the Popen. Its output goes to the file
    `output` (never to a pipe: a Wine process that the program starts could hold a pipe
    open long after the program ended)."""
    env = wine_environment()
    env.update(extra_env or {})
    out = open(output, "wb") if output else subprocess.DEVNULL
    try:
        return subprocess.Popen(["wine", *map(str, args)], env=env, stdin=subprocess.DEVNULL,
                                stdout=out, stderr=subprocess.STDOUT, cwd=cwd)
    finally:
        if output:
            out.close()


def run_wine(args, extra_env=None, timeout=300):
    """Runs a Windows program under Wine to its end; prints its output; returns its exit
    status."""
    log = wine_dir() / "last-program.log"
    proc = wine(args, extra_env, output=log)
    try:
        status = proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        proc.kill()
        status = proc.wait()
        print(f"{args[0]} did not end within {timeout} s", flush=True)
    sys.stdout.write(log.read_text(errors="replace"))
    sys.stdout.flush()
    return status


def main(argv):
    if len(argv) != 2 or argv[1] not in ("start", "stop"):
        print("usage: harness.py start|stop", file=sys.stderr)
        return 2
    if argv[1] == "start":
        print(start())
    else:
        stop()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
