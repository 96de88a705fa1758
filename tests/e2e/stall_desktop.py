#!/usr/bin/env python3
"""Reproduces the random input test's lost click: runs random_input --stall
and stops the desktop's process (Wine's explorer, found by its PID among the
processes of this prefix) before each burst, then lets it go on between the
press of the click that ends the dialog and its release. The explorer then
handles the burst's desktop clicks late and takes the foreground from the
pressed button, every time.

  scripts/with-display.sh python3 tests/e2e/stall_desktop.py [--build DIR] [random_input options]

Not a CTest test: a tool to show that the test passes anyway, and, against a
dialog that really ignores OK, still fails.
"""
import argparse
import os
import signal
import subprocess
import sys


def explorers(prefix):
    """Unix PIDs of the explorer processes of the Wine prefix."""
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                command = f.read()
            with open(f"/proc/{pid}/environ", "rb") as f:
                environment = f.read().split(b"\0")
        except OSError:
            continue
        if b"explorer.exe" in command and b"WINEPREFIX=" + prefix.encode() in environment:
            found.append(int(pid))
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default="build")
    args, rest = parser.parse_known_args()
    program = subprocess.Popen(["wine", os.path.join(args.build, "random_input.exe"),
                                os.path.join(args.build, "zentrix.pdl"), "--stall", *rest],
                               stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)
    stopped = []
    try:
        for line in program.stdout:
            if line.startswith("stall "):
                stopped = explorers(os.environ["WINEPREFIX"])
                if len(stopped) != 1:
                    sys.exit("stall_desktop: not one explorer process in this prefix: %s" % stopped)
                os.kill(stopped[0], signal.SIGSTOP)
                print("  [desktop process %s (pid %d) stopped]" % (line.split()[1], stopped[0]), flush=True)
            elif line.strip() == "resume":
                for pid in stopped:
                    os.kill(pid, signal.SIGCONT)
                stopped = []
                print("  [desktop process going on between the press and the release]", flush=True)
            else:
                print(line, end="", flush=True)
                continue
            program.stdin.write("done\n")
            program.stdin.flush()
    finally:
        for pid in stopped:
            os.kill(pid, signal.SIGCONT)
    return program.wait()


if __name__ == "__main__":
    sys.exit(main())
