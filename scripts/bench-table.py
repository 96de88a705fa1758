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
    "verinfo_bench.exe": ([4], [121]),
}

# A row a benchmark gives the table, as bench::PrintPair prints it: the figure,
# ours' median and p90, the baseline's, the ratio, the target where there is
# one, and the baseline's name in brackets.
ROW = re.compile(r"^(.+?) +(\d+) +\d+ +(\d+) +\d+ +ratio ([\d.]+)(?: \(target <= ([\d.]+)\) \w+)?  \[(.+)\]$",
                 re.MULTILINE)


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
    for program, output in outputs.items():
        rows = ROW.findall(output)
        if not rows:
            sys.exit(f"{program} gave no row for the table:\n{output}")
        for figure, ours, base, ratio, target, baseline in rows:
            table.append((figure.replace("->", "→"), float(ours), float(base), float(ratio), baseline,
                          float(target) if target else None))
    scan = outputs["scan_bench.exe"]
    dialog = outputs["dialog_bench.exe"]
    rows_per_second = float(find(r"^rows per second: library scan (\d+)", scan)[1])
    peak_kb = float(find(r"^peak working set: (\d+) KB", scan)[1])
    tool_peak_kb = float(find(r"^verinfo.exe peak working set: (\d+) KB", scan)[1])
    tool_memory = find(r"^verinfo.exe -r peak working set: (\d+) files (\d+) KB, (\d+) files (\d+) KB",
                       outputs["verinfo_bench.exe"])
    cycles = find(r"^Leak count: (\d+) Execute/close cycles", dialog)[1]
    # The first verdict is ours'.
    leak = find(r"^  (no leak|LEAK): .* pagefile usage ([+-]\d+) KiB", dialog)
    notes = [f"Scan: {rows_per_second:,.0f} rows per second, peak working set {peak_kb:,.0f} KB "
             f"(verinfo.exe: {tool_peak_kb:,.0f} KB).",
             f"verinfo.exe -r peak working set: {int(tool_memory[2]):,} KB over {int(tool_memory[1]):,} files, "
             f"{int(tool_memory[4]):,} KB over {int(tool_memory[3]):,}.",
             f"Leaks over {cycles} Execute/close cycles: second_half_pagefile_kib {int(leak[2])}, verdict {leak[1]}"]
    return table, notes


def render(table, notes, size_kb):
    lines = ["| Figure | Ours (median) | Baseline (median) | Baseline | Ratio | Target | |",
             "|---|---:|---:|---|---:|---:|---|"]
    # The ratio as the benchmark gives it: of the medians, or (where sides
    # ran in the same rounds) the median of each round's.
    for figure, ours, base, ratio, baseline, target in table:
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
