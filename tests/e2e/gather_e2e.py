#!/usr/bin/env python3
"""End-to-end checks of the gathered values, through pdlhost --report.

    gather_e2e.py CASE --build BUILD_DIR

default: on the project's prefix as set up, the values the dialog shows
agree with what Wine's own tools print for the same registry keys and with
the names and memory the system reports.
win98 / win10: Wine is told to present that Windows version to pdlhost
(HKCU\\Software\\Wine\\AppDefaults\\pdlhost.exe\\Version); the dialog must
take the 9x path (no video BIOS row) or show the true version 10.0, which a
program without a compatibility manifest would otherwise see as 6.2.

Needs DISPLAY and WINEPREFIX, as scripts/with-display.sh sets them.
"""

import argparse
import re
import subprocess
import sys

APP_KEY = r"HKCU\Software\Wine\AppDefaults\pdlhost.exe"
NT_KEY = r"HKLM\Software\Microsoft\Windows NT\CurrentVersion"
CONTROL = re.compile(r'^control (\d+) (\S+) "((?:[^"\\]|\\.)*)" \(.*\) in .* (visible|hidden)')
CONTROL_COUNT = re.compile(r"^controls (\d+), IDs up to (\d+)$")

# Control IDs of the labels checked here.
WINDOWS_TYPE, WIN_VERSION, WIN_BUILD = 7, 8, 9
CSD_VERSION, CURRENT_BUILD, CURRENT_VERSION, PRODUCT_ID, PRODUCT_NAME = 14, 15, 17, 19, 20
MEM_TOTAL, MEM_AVAILABLE, MEM_USAGE = 34, 35, 36
COMP_NAME, USER_NAME = 46, 47
PROC_VENDOR = 55
VIDEO_BIOS, VIDEO_BIOS_PROMPT = 59, 62


def wine(*args):
    return subprocess.run(["wine", *args], capture_output=True, text=True, errors="replace", timeout=120)


def report(build):
    run = wine(f"{build}/pdlhost.exe", "--report", f"{build}/zentrix.pdl")
    if run.returncode != 0:
        sys.exit(f"pdlhost --report failed ({run.returncode}):\n{run.stdout}\n{run.stderr}")
    controls = {}
    count = None
    for line in run.stdout.splitlines():
        match = CONTROL.match(line)
        if match:
            controls[int(match[1])] = (match[3], match[4] == "visible")
        match = CONTROL_COUNT.match(line)
        if match:
            count = int(match[1])
    # The report counts the controls the dialog has; each must be listed.
    if count is None or len(controls) != count:
        sys.exit(f"report lists {len(controls)} controls, but counts {count}:\n{run.stdout}")
    return controls


def reg_value(key, name):
    run = wine("reg", "query", key, "/v", name)
    for line in run.stdout.splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) >= 2 and parts[0].lower() == name.lower():
            return parts[2] if len(parts) == 3 else ""
    return None


def env_value(name):
    return wine("cmd", "/c", "echo", f"%{name}%").stdout.strip()


class Checks:
    def __init__(self):
        self.failed = 0

    def equal(self, what, actual, expected):
        ok = actual == expected
        self.failed += not ok
        print(f"{'PASS' if ok else 'FAIL'} {what}: {actual!r}" + ("" if ok else f", expected {expected!r}"))

    def true(self, what, ok, detail=""):
        self.failed += not ok
        print(f"{'PASS' if ok else 'FAIL'} {what}" + (f": {detail}" if detail else ""))


def kilobytes(text):
    match = re.fullmatch(r"(\d+) KB", text)
    return int(match[1]) if match else None


def case_default(build, checks):
    c = report(build)
    text = {i: v[0] for i, v in c.items()}
    for control, name in ((PRODUCT_NAME, "ProductName"), (CSD_VERSION, "CSDVersion"),
                          (CURRENT_BUILD, "CurrentBuild"), (CURRENT_VERSION, "CurrentVersion"),
                          (PRODUCT_ID, "ProductId")):
        expected = reg_value(NT_KEY, name)
        checks.equal(f"{name} as the registry holds it", text[control],
                     expected if expected else "No information")
    vendor = reg_value(r"HKLM\Hardware\Description\System\CentralProcessor\0", "VendorIdentifier")
    checks.equal("processor vendor", text[PROC_VENDOR], vendor or "No information")
    checks.equal("computer name", text[COMP_NAME], env_value("COMPUTERNAME")[:15])
    checks.equal("user name", text[USER_NAME], env_value("USERNAME"))
    checks.equal("Windows type", text[WINDOWS_TYPE], "Windows NT")
    version = wine("cmd", "/c", "ver").stdout
    match = re.search(r"(\d+)\.(\d+)\.(\d+)", version)
    if match:
        checks.equal("version as cmd's ver prints it", text[WIN_VERSION], f"{match[1]}.{match[2]}")
        checks.equal("build as cmd's ver prints it", text[WIN_BUILD], match[3])
    total, free = kilobytes(text[MEM_TOTAL]), kilobytes(text[MEM_AVAILABLE])
    linux_total = None
    with open("/proc/meminfo") as meminfo:
        for line in meminfo:
            if line.startswith("MemTotal:"):
                linux_total = int(line.split()[1])
    checks.true("memory total in KB, as the machine has", total is not None and linux_total is not None
                and abs(total - linux_total) <= linux_total // 50, f"{text[MEM_TOTAL]} vs {linux_total} KB")
    checks.true("free memory below total", free is not None and total is not None and free <= total,
                text[MEM_AVAILABLE])
    checks.true("free share in percent", re.fullmatch(r"\d+ %", text[MEM_USAGE]) is not None, text[MEM_USAGE])
    checks.true("no Memory label keeps its placeholder",
                all(text[i] != "No inormation" for i in range(34, 40)))
    checks.true("video BIOS row shown on the NT family", c[VIDEO_BIOS][1] and c[VIDEO_BIOS_PROMPT][1])


def with_version(version, build, checks, expect):
    subprocess.run(["wine", "reg", "add", APP_KEY, "/v", "Version", "/d", version, "/f"],
                   capture_output=True, timeout=120)
    try:
        c = report(build)
    finally:
        subprocess.run(["wine", "reg", "delete", APP_KEY, "/f"], capture_output=True, timeout=120)
    expect({i: v[0] for i, v in c.items()}, c)


def case_win98(build, checks):
    def expect(text, c):
        checks.equal("Windows type", text[WINDOWS_TYPE], "Windows 9x")
        checks.equal("version", text[WIN_VERSION], "4.10")
        checks.equal("build: the low 16 bits only", text[WIN_BUILD], "2222")
        checks.true("video BIOS row stays hidden on the 9x family",
                    not c[VIDEO_BIOS][1] and not c[VIDEO_BIOS_PROMPT][1])
    with_version("win98", build, checks, expect)


def case_win10(build, checks):
    def expect(text, c):
        checks.equal("Windows type", text[WINDOWS_TYPE], "Windows NT")
        checks.equal("the true version, not 6.2", text[WIN_VERSION], "10.0")
        checks.true("a Windows 10 build", text[WIN_BUILD].isdigit() and int(text[WIN_BUILD]) >= 10240,
                    text[WIN_BUILD])
    with_version("win10", build, checks, expect)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("case", choices=["default", "win98", "win10"])
    parser.add_argument("--build", required=True)
    args = parser.parse_args()
    checks = Checks()
    {"default": case_default, "win98": case_win98, "win10": case_win10}[args.case](args.build, checks)
    sys.exit(1 if checks.failed else 0)


if __name__ == "__main__":
    main()
