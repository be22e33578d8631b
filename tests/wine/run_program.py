"""Runs one of the Windows build's test programs under Wine; its exit status is ours."""

import sys

import harness

if __name__ == "__main__":
    sys.exit(harness.run_wine([harness.win_build_dir() / sys.argv[1], *sys.argv[2:]], timeout=240))
