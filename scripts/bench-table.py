#!/usr/bin/env python3
"""Runs every benchmark and prints one table of medians and ratios.

    bench-table.py --build BUILD [--quick] [--write docs/PERFORMANCE.md]

Each benchmark alternates ours with its baseline in one process, so the
ratios stand even when the machine is busy; the absolute figures do not.
Needs DISPLAY and WINEPREFIX, as scripts/with-display.sh sets them.
"""

import argparse
import datetime
import os
import platform
import re
import subprocess
import sys
import tempfile

SIZE_TARGET_KB = 256

# Each benchmark's arguments for a quick and for a full run.
PROGRAMS = {
    "dialog_bench.exe": (["--rounds", 10, "--cycles", 20], ["--rounds", 50, "--cycles", 200]),
    "gather_bench.exe": ([30], [200]),
    "scan_bench.exe": ([3], [11]),
    "load_bench.exe": ([50], [500]),
}

DIALOG = "bare Win32 dialog, same 75 windows"
SCAN = "bare version-library loop"
# The table's rows: a benchmark and the title of its row, then the figure and
# its baseline as the table names them. Targets come from the benchmarks.
ROWS = [
    ("dialog_bench.exe", "Execute -> end of activation", "Execute → end of activation", DIALOG),
    ("dialog_bench.exe", "Execute -> end of activation, without our pass",
     "  the same, without the activation pass", DIALOG),
    ("dialog_bench.exe", "Execute -> first complete paint", "Execute → first complete paint", DIALOG),
    ("dialog_bench.exe", "Execute -> first complete paint, without our pass",
     "  the same, without the activation pass", DIALOG),
    ("dialog_bench.exe", "construction: form and every control", "creating the form and its 75 controls", DIALOG),
    ("dialog_bench.exe", "destruction", "destroying them", DIALOG),
    ("gather_bench.exe", "FormActivate, against the calls and label writes", "activation pass (gathering)",
     "same registry and system calls and label writes, bare dialog"),
    ("gather_bench.exe", "FormActivate, against the calls alone", "  the same, against the calls alone",
     "same registry and system calls, no label writes"),
    ("scan_bench.exe", "library scan (dialog), against the bare loop", "System libraries scan", SCAN),
    ("scan_bench.exe", "verinfo.exe, whole process, against the bare loop",
     "verinfo.exe over the system folder, process start included", SCAN),
    ("load_bench.exe", "load + InitPlugInLib + unload, against the floor", "load + InitPlugInLib + unload",
     "a DLL of the same toolchain making only the required load calls"),
    ("load_bench.exe", "load + InitPlugInLib + unload, against empty DLL", "  the same, against an empty DLL",
     "an empty DLL of the same toolchain"),
]

# A figure against its baseline as bench::PrintPair prints it: title, ours'
# median and p90, the baseline's, the ratio and the target where there is one.
PAIR = r"^{} +(\d+) +\d+ +(\d+) +\d+ +ratio [\d.]+(?: \(target <= ([\d.]+)\))?"


def run(build, program, *args):
    result = subprocess.run(["wine", os.path.join(build, program), *map(str, args)],
                            capture_output=True, text=True, errors="replace", timeout=3600)
    if result.returncode != 0:
        sys.exit(f"{program} failed ({result.returncode}):\n{result.stdout}\n{result.stderr}")
    return result.stdout


def find(pattern, text):
    match = re.search(pattern, text, re.MULTILINE)
    if not match:
        sys.exit(f"cannot find /{pattern}/ in:\n{text}")
    return match


def stripped_kb(build):
    with tempfile.TemporaryDirectory() as scratch:
        copy = os.path.join(scratch, "zentrix.pdl")
        subprocess.run(["i686-w64-mingw32-strip", "-o", copy, os.path.join(build, "zentrix.pdl")], check=True)
        return os.path.getsize(copy) / 1024


def measure(build, quick):
    outputs = {program: run(build, program, *args[0 if quick else 1]) for program, args in PROGRAMS.items()}
    table = []
    for program, title, figure, baseline in ROWS:
        ours, base, target = find(PAIR.format(re.escape(title)), outputs[program]).groups()
        table.append((figure, float(ours), float(base), baseline, float(target) if target else None))
    scan = outputs["scan_bench.exe"]
    dialog = outputs["dialog_bench.exe"]
    rows_per_second = float(find(r"^library scan: (\d+) rows per second", scan)[1])
    peak_kb = float(find(r"^peak working set: (\d+) KB", scan)[1])
    tool_peak_kb = float(find(r"^verinfo.exe peak working set: (\d+) KB", scan)[1])
    cycles = find(r"^Leak count: (\d+) Execute/close cycles", dialog)[1]
    # The first verdict is ours'.
    leak = find(r"^  (no leak|LEAK): .* pagefile usage ([+-]\d+) KiB", dialog)
    notes = [f"Scan: {rows_per_second:,.0f} rows per second, peak working set {peak_kb:,.0f} KB "
             f"(verinfo.exe: {tool_peak_kb:,.0f} KB).",
             f"Leaks over {cycles} Execute/close cycles: second_half_pagefile_kib {int(leak[2])}, verdict {leak[1]}"]
    return table, notes


def render(table, notes, size_kb):
    lines = ["| Figure | Ours (median) | Baseline (median) | Baseline | Ratio | Target | |",
             "|---|---:|---:|---|---:|---:|---|"]
    for figure, ours, base, baseline, target in table:
        ratio = ours / base if base else float("nan")
        target_text = f"≤ {target:.2f}" if target else "—"
        verdict = "" if target is None else ("met" if ratio <= target else "missed")
        lines.append(f"| {figure} | {ours:,.0f} µs | {base:,.0f} µs | {baseline} | {ratio:.2f} | "
                     f"{target_text} | {verdict} |")
    size_verdict = "met" if size_kb <= SIZE_TARGET_KB else "missed"
    lines.append(f"| zentrix.pdl, stripped | {size_kb:,.0f} KB | | | | ≤ {SIZE_TARGET_KB} KB | {size_verdict} |")
    return "\n".join(lines + [""] + notes)


def machine():
    try:
        with open("/proc/cpuinfo") as info:
            cpu = re.search(r"^model name\s*: (.*)$", info.read(), re.MULTILINE)[1]
    except (OSError, TypeError):  # no file, or no such line
        cpu = "unknown processor"
    wine = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    return f"{cpu}, {os.cpu_count()} cores, {platform.system()} {platform.release()}, {wine}"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--quick", action="store_true", help="fewer rounds, for a smoke run")
    parser.add_argument("--write", help="also write the table into this Markdown file")
    args = parser.parse_args()
    table, notes = measure(args.build, args.quick)
    text = render(table, notes, stripped_kb(args.build))
    print(text)
    if args.write:
        with open(args.write, "w") as out:
            out.write("# Performance\n\n")
            out.write(f"Measured {datetime.date.today().isoformat()} on {machine()}.\n")
            out.write("Reproduce with `make bench` (which runs `scripts/bench-table.py --build build`);\n")
            out.write("each figure alternates ours with its baseline in one process, so the ratios hold on a\n")
            out.write("busy machine while the absolute times move with its load.\n\n")
            out.write(text + "\n")


if __name__ == "__main__":
    main()
