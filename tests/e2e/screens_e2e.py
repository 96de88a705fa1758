#!/usr/bin/env python3
"""Where the dialog comes up on screens unlike the test display: pdlhost
--report runs Execute and prints the dialog's place, the primary screen and
its work area as Wine sees them.

    screens_e2e.py CASE --build BUILD_DIR --out OUTPUT_DIR

CASE is
  taskbar   a 1280x720 screen at 144 dpi whose taskbar takes its bottom 72
            pixels (the X root's _NET_WORKAREA), where OK fell under the bar
  monitors  an 800x600 primary screen beside a 1920x1080 one (Xephyr with
            Xinerama, inside an Xvfb) at 192 dpi, where the title bar was
            above both screens

Wine reads the work area and the monitors when its server starts, and a
server serves the prefix it was started for; so each case runs an X server
of its own and a Wine server of its own, for a prefix of its own made in
OUTPUT_DIR: copies of the build prefix's registry files (3 MB, given the
case's density and display settings) with the build prefix's drive C linked,
not copied (1.3 GB). The case shares neither display nor Wine server with
the other tests, yet takes the display lock (tests/e2e/CMakeLists.txt). Needs Xvfb, xprop and Xephyr
(scripts/setup.sh installs them).
"""

import argparse
import os
import re
import shutil
import subprocess
import sys

from dialog_e2e import Failure, check, log

CASES = {
    "taskbar": {"dpi": 144, "screen": "1280x720", "work": (0, 0, 1280, 648)},
    # Xephyr's first screen, which Wine makes the primary monitor, placed
    # right of the second.
    "monitors": {"dpi": 192, "screens": [("1920,0", "800x600"), ("0,0", "1920x1080")]},
}


def make_prefix(shared, prefix, dpi):
    shutil.rmtree(prefix, ignore_errors=True)
    os.makedirs(os.path.join(prefix, "dosdevices"))
    for name in ("system.reg", "user.reg", "userdef.reg", ".update-timestamp"):
        shutil.copy2(os.path.join(shared, name), prefix)
    os.symlink(os.path.join(shared, "drive_c"), os.path.join(prefix, "drive_c"))
    os.symlink("../drive_c", os.path.join(prefix, "dosdevices", "c:"))
    os.symlink("/", os.path.join(prefix, "dosdevices", "z:"))
    # A key met again further down the file takes the values given there.
    # UseXRandR=N: Xinerama's heads as the monitors, not Xephyr's one output.
    with open(os.path.join(prefix, "user.reg"), "a", encoding="utf-8") as user:
        user.write('\n[Control Panel\\\\Desktop] 0\n"LogPixels"=dword:%08x\n'
                   '\n[Software\\\\Wine\\\\X11 Driver] 0\n"UseXRandR"="N"\n' % dpi)


def start_server(command, env=None):
    """Starts an X server on a display it chooses; (process, ':N') once it
    takes clients (-displayfd: it writes the number then)."""
    read, write = os.pipe()
    server = subprocess.Popen(command + ["-displayfd", str(write)], env=env, pass_fds=(write,),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as ready:
        number = ready.readline().strip()
    if not number:
        server.wait()
        raise Failure("%s did not start" % command[0])
    return server, ":" + number


def parse_box(text, label):
    match = re.search(re.escape(label) + r" \((-?\d+),(-?\d+) (\d+)x(\d+)\)", text)
    if not match:
        raise Failure("pdlhost --report printed no %s:\n%s" % (label, text))
    x, y, w, h = (int(v) for v in match.groups())
    return x, y, x + w, y + h


def run(case, build, out):
    setup = CASES[case]
    prefix = os.path.join(out, "prefix")
    make_prefix(os.path.join(build, "wineprefix"), prefix, setup["dpi"])
    servers = []
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    try:
        if case == "taskbar":
            # -noreset: the root's properties outlive xprop, its only client.
            xvfb, display = start_server(["Xvfb", "-screen", "0", setup["screen"] + "x24", "-noreset",
                                          "-nolisten", "tcp"])
            servers.append(xvfb)
            subprocess.run(["xprop", "-display", display, "-root", "-f", "_NET_WORKAREA", "32c", "-set",
                            "_NET_WORKAREA", ",".join(str(v) for v in setup["work"])], check=True)
        else:
            xvfb, host_display = start_server(["Xvfb", "-screen", "0", "640x480x24", "-nolisten", "tcp"])
            servers.append(xvfb)
            command = ["Xephyr", "+xinerama", "-nolisten", "tcp"]
            for origin, screen in setup["screens"]:
                command += ["-origin", origin, "-screen", screen]
            ephyr, display = start_server(command, env=dict(os.environ, DISPLAY=host_display))
            servers.append(ephyr)
        env["DISPLAY"] = display
        report = subprocess.run(["wine", "pdlhost.exe", "--report", "zentrix.pdl"], cwd=build, env=env,
                                capture_output=True, text=True, timeout=120)
        log(report.stdout)
        if report.returncode != 0:
            raise Failure("pdlhost --report failed (%d): %s" % (report.returncode, report.stderr.strip()))
        dialog = parse_box(report.stdout, "dialog window")
        screen = parse_box(report.stdout, "primary screen")
        work = parse_box(report.stdout, "work area")
        every = parse_box(report.stdout, "all screens")
        if case == "taskbar":
            check(work == setup["work"], "Wine took the taskbar: work area %s" % (work,))
        else:
            check(screen == (0, 0, 800, 600) and every == (-1920, 0, 800, 1080),
                  "Wine made the 800x600 screen, right of the other, the primary one: %s of %s" % (screen, every))
        left, top, right, bottom = dialog
        centred_left = screen[0] + int((screen[2] - screen[0] - (right - left)) / 2)
        centred_top = screen[1] + int((screen[3] - screen[1] - (bottom - top)) / 2)
        check(not (work[0] <= centred_left and centred_left + right - left <= work[2] and work[1] <= centred_top
                   and centred_top + bottom - top <= work[3]),
              "centred, the dialog (%dx%d) would not lie inside the work area" % (right - left, bottom - top))
        check(work[0] <= left < work[2] and work[1] <= top < work[3],
              "the dialog's top left corner (%d,%d) is inside the work area" % (left, top))
        fits = right - left <= work[2] - work[0] and bottom - top <= work[3] - work[1]
        inside = right <= work[2] and bottom <= work[3]
        check(inside or not fits, "where it fits, the whole dialog is inside the work area: %s" % (dialog,))
    finally:
        subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for server in reversed(servers):
            server.terminate()
            server.wait()
        shutil.rmtree(prefix, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("case", choices=sorted(CASES))
    parser.add_argument("--build", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    try:
        run(args.case, os.path.abspath(args.build), os.path.abspath(args.out))
    except Failure as failure:
        log("FAIL " + str(failure))
        return 1
    log("PASS")
    return 0


if __name__ == "__main__":
    sys.exit(main())
