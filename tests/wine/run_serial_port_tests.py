"""Runs serial_port_wine_test.exe under Wine with a simulated scale on COM3 and no device
on COM4."""

import sys

import harness


def main():
    exe = harness.win_build_dir() / "serial_port_wine_test.exe"
    with harness.Scale(3, weight="01.250") as scale:
        return harness.run_wine([exe], extra_env={
            "WEIGHLET_SIM_CONTROL": harness.windows_path(scale.control_path)})


if __name__ == "__main__":
    sys.exit(main())
