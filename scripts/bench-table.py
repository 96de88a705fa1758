#!/usr/bin/env python3
"""Runs every benchmark and prints one table of medians and ratios.

    bench-table.py --build BUILD [--quick] [--write docs/PERFORMANCE.md]

Each benchmark alternates ours with its baseline in one process, so the
ratios stand even when the machine is busy; the absolute figures do not.
Needs DISPLAY and WINEPREFIX, as scripts/with-display.sh sets them.
"""

import argparse
import datetime
import json
import os
import platform
import re
import subprocess
import sys
import tempfile

SIZE_TARGET_KB = 256


def run(build, program, *args):
    result = subprocess.run(["wine", os.path.join(build, program), *map(str, args)],
                            capture_output=True, text=True, errors="replace", timeout=3600)
    if result.returncode != 0:
        sys.exit(f"{program} failed ({result.returncode}):\n{result.stdout}\n{result.stderr}")
    return result.stdout


def number(pattern, text, group=1):
    match = re.search(pattern, text, re.MULTILINE)
    if not match:
        sys.exit(f"cannot find /{pattern}/ in:\n{text}")
    return float(match.group(group))


def stripped_kb(build):
    with tempfile.TemporaryDirectory() as scratch:
        copy = os.path.join(scratch, "zentrix.pdl")
        subprocess.run(["i686-w64-mingw32-strip", "-o", copy, os.path.join(build, "zentrix.pdl")], check=True)
        return os.path.getsize(copy) / 1024


def rows(build, quick):
    table = []

    def add(figure, ours, base, baseline, target=None, unit="µs"):
        ratio = ours / base if base else float("nan")
        verdict = "" if target is None else ("met" if ratio <= target else "missed")
        table.append((figure, ours, base, baseline, ratio, target, verdict, unit))

    dialog = json.loads(run(build, "dialog_bench.exe", "--json", "--rounds", 10 if quick else 50,
                            "--cycles", 20 if quick else 200))
    figures = dialog["figures"]
    names = [("execute_to_activated", "Execute → end of activation"),
             ("execute_to_activated_without_pass", "  the same, without the activation pass"),
             ("execute_to_painted", "Execute → first complete paint"),
             ("execute_to_painted_without_pass", "  the same, without the activation pass"),
             ("construct", "creating the form and its 75 controls"),
             ("destroy", "destroying them")]
    for key, title in names:
        f = figures[key]
        add(title, f["ours"]["median"], f["bare"]["median"], "bare Win32 dialog, same 75 windows",
            f.get("target", 1.3))

    gather = run(build, "gather_bench.exe", 30 if quick else 200)
    pass_ours = number(r"^ours: .*?\s+(\d+)\s+\d+$", gather)
    add("activation pass (gathering)", pass_ours, number(r"^bare: .*?\s+(\d+)\s+\d+$", gather),
        "same registry and system calls and label writes, bare dialog", 1.15)
    add("  the same, against the calls alone", pass_ours, number(r"^calls: .*?\s+(\d+)\s+\d+$", gather),
        "same registry and system calls, no label writes")

    scan = run(build, "scan_bench.exe", 3 if quick else 11)
    bare_scan = number(r"^bare version-library loop\s+([\d.]+)", scan) * 1000
    add("System libraries scan", number(r"^library scan \(dialog\)\s+([\d.]+)", scan) * 1000,
        bare_scan, "bare version-library loop", 0.6)
    add("verinfo.exe over the system folder, process start included",
        number(r"^verinfo.exe, whole process\s+([\d.]+)", scan) * 1000, bare_scan, "bare version-library loop",
        0.6)
    rows_per_second = number(r"^library scan \(dialog\)\s+[\d.]+\s+[\d.]+\s+(\d+)", scan)
    peak_kb = (number(r"^peak working set: (\d+) KB", scan),
               number(r"^verinfo.exe peak working set: (\d+) KB", scan))

    load = run(build, "load_bench.exe", 50 if quick else 500)
    load_ours = number(r"^ours: .*?\s+(\d+)\s+\d+$", load)
    add("load + InitPlugInLib + unload", load_ours, number(r"^floor: .*?\s+(\d+)\s+\d+$", load),
        "a DLL of the same toolchain making only the required load calls", 1.3)
    add("  the same, against an empty DLL", load_ours, number(r"^empty DLL: .*?\s+(\d+)\s+\d+$", load),
        "an empty DLL of the same toolchain")

    leaks = dialog["leaks"]
    return table, rows_per_second, peak_kb, leaks


def render(table, rows_per_second, peak_kb, leaks, size_kb):
    lines = ["| Figure | Ours (median) | Baseline (median) | Baseline | Ratio | Target | |",
             "|---|---:|---:|---|---:|---:|---|"]
    for figure, ours, base, baseline, ratio, target, verdict, unit in table:
        target_text = f"≤ {target:.2f}" if target else "—"
        lines.append(f"| {figure} | {ours:,.0f} {unit} | {base:,.0f} {unit} | {baseline} | {ratio:.2f} | "
                     f"{target_text} | {verdict} |")
    size_verdict = "met" if size_kb <= SIZE_TARGET_KB else "missed"
    lines.append(f"| zentrix.pdl, stripped | {size_kb:,.0f} KB | | | | ≤ {SIZE_TARGET_KB} KB | {size_verdict} |")
    lines.append("")
    lines.append(f"Scan: {rows_per_second:,.0f} rows per second, peak working set {peak_kb[0]:,.0f} KB "
                 f"(verinfo.exe: {peak_kb[1]:,.0f} KB).")
    ours = leaks.get("ours", {}) if isinstance(leaks, dict) else {}
    if ours:
        lines.append(f"Leaks over {leaks.get('cycles')} Execute/close cycles: "
                     + ", ".join(f"{k} {v}" for k, v in ours.items() if not isinstance(v, (dict, list))))
    return "\n".join(lines)


def machine():
    cpu = "unknown processor"
    try:
        with open("/proc/cpuinfo") as info:
            for line in info:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    wine = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    return f"{cpu}, {os.cpu_count()} cores, {platform.system()} {platform.release()}, {wine}"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--quick", action="store_true", help="fewer rounds, for a smoke run")
    parser.add_argument("--write", help="also write the table into this Markdown file")
    args = parser.parse_args()
    table, rows_per_second, peak_kb, leaks = rows(args.build, args.quick)
    text = render(table, rows_per_second, peak_kb, leaks, stripped_kb(args.build))
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
