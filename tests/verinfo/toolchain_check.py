#!/usr/bin/env python3
"""Every field verinfo.exe reads from the toolchain fixtures against what each
toolchain was told to write (toolchain/manifest.json, made with the fixtures
by toolchain/make_fixtures.py).

    toolchain_check.py --build BUILD_DIR

Runs `verinfo.exe --all --json` over all fixtures at once under Wine and
compares each line's object with the manifest: the strings exactly and in
file order, fixed block, flags, translations, machine, format, the table
used and, where the translation names a table the file lacks, a note naming
it. Needs WINEPREFIX, as scripts/with-display.sh sets it.
"""

import argparse
import json
import os
import subprocess
import sys

FIXTURES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "toolchain")


def compare(fixture, actual):
    """The differences between one output object and the manifest, as text."""
    expect = dict(fixture["expect"], path=fixture["file"], status="ok")
    problems = []
    if set(actual) != set(expect):
        problems.append(f"fields {sorted(actual)}, expected {sorted(expect)}")
    for field, wanted in expect.items():
        got = actual.get(field)
        if field == "stringTableNote" and wanted is not None:
            # The wording is the reader's; it must name the missing table.
            if not isinstance(got, str) or wanted["names"].lower() not in got.lower():
                problems.append(f"stringTableNote {got!r} does not name {wanted['names']}")
        elif field == "strings":
            # In file order, exactly.
            if not isinstance(got, dict) or list(got.items()) != list(wanted.items()):
                problems.append(f"strings {got!r}, expected {wanted!r}")
        elif got != wanted:
            problems.append(f"{field} {got!r}, expected {wanted!r}")
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    args = parser.parse_args()
    with open(os.path.join(FIXTURES, "manifest.json"), encoding="utf-8") as manifest:
        fixtures = json.load(manifest)["fixtures"]
    names = [fixture["file"] for fixture in fixtures]
    run = subprocess.run(["wine", os.path.join(args.build, "verinfo.exe"), "--all", "--json", *names],
                         cwd=FIXTURES, capture_output=True, timeout=300)
    if run.returncode != 0:
        sys.exit(f"verinfo.exe ended with {run.returncode}:\n{run.stderr.decode(errors='replace')}")
    lines = run.stdout.decode("utf-8").splitlines()
    if len(lines) != len(fixtures):
        sys.exit(f"{len(lines)} lines for {len(fixtures)} files:\n" + "\n".join(lines))
    failed = 0
    for fixture, line in zip(fixtures, lines):
        problems = compare(fixture, json.loads(line))
        failed += bool(problems)
        print(f"{'FAIL' if problems else 'PASS'} {fixture['file']} ({fixture['toolchain']})")
        for problem in problems:
            print(f"    {problem}")
    print(f"{len(fixtures) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
