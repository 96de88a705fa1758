#!/usr/bin/env python3
"""verinfo.exe as an inventory script runs it: its JSON Lines and CSV read
back by Python's own json and csv modules, the two agreeing field for field;
a tree with a symbolic link back to its top and a path past 260 characters;
the exit status of each kind of run.

usage: verinfo_formats.py --build BUILD_DIR
Needs WINEPREFIX, as scripts/with-display.sh sets it. Wine shows a Linux
symbolic link to a folder as a plain folder, which is how the loop is made.
"""
import argparse
import csv
import io
import json
import os
import shutil
import subprocess
import sys
import tempfile

STANDARD = ["CompanyName", "FileDescription", "FileVersion", "InternalName", "LegalCopyright",
            "LegalTrademarks", "OriginalFilename", "ProductName", "ProductVersion", "Comments",
            "PrivateBuild", "SpecialBuild"]

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def windows(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def tool(build, *args):
    run = subprocess.run(["wine", os.path.join(build, "verinfo.exe"), *args], capture_output=True, timeout=300)
    return run.returncode, run.stdout.decode("utf-8")


def json_rows(text):
    check(text == "" or text.endswith("\n"), "JSON Lines end in a line break")
    return [json.loads(line) for line in text.splitlines()]


def formats_agree(build, files):
    # The last file is missing: its row says why, and the status is 1.
    code, text = tool(build, "--json", *files)
    check(code == 1, f"--json over a missing file exits 1, not {code}")
    rows = json_rows(text)
    check([r["path"] for r in rows] == files, "one JSON row per file, in argument order")
    check(rows[-1]["status"] == "error" and rows[-1]["error"] == "cannot open: file not found (2)",
          f"the missing file's row says why: {rows[-1]}")
    check(all(r["status"] == "ok" and "error" not in r for r in rows[:-1]), "the others read, without error")
    code, text = tool(build, "--csv", *files)
    check(code == 1, f"--csv exits 1 too, not {code}")
    check("\r\n" in text and "\n" not in text.replace("\r\n", ""), "CSV records end in CRLF")
    table = list(csv.DictReader(io.StringIO(text, newline="")))
    check(len(table) == len(rows), "one CSV record per JSON row")
    for row, record in zip(rows, table):
        fixed = row["fixed"] or {}
        pairs = [
            (record["path"], row["path"]), (record["status"], row["status"]),
            (record["error"], row.get("error", "")),
            (record["versionInfo"], "true" if row["versionInfo"] else "false"),
            (record["machine"], row["machine"] or ""), (record["peFormat"], row["peFormat"] or ""),
            (record["stringTable"], row["stringTable"] or ""),
            (record["stringTableNote"], row["stringTableNote"] or ""),
            (record["fixedFileVersion"], fixed.get("fileVersion", "")),
            (record["flags"], " ".join(fixed.get("flags", []))),
            (record["translations"], " ".join(f"{t['language']:04X}{t['codePage']:04X}" for t in row["translations"])),
        ] + [(record[name], row["strings"].get(name, "")) for name in STANDARD]
        for got, wanted in pairs:
            check(got == wanted, f"{row['path']}: CSV {got!r} where JSON has {wanted!r}")
    return {r["path"].split("\\")[-1]: r for r in rows}


def fields_as_built(rows):
    # What the fixtures' .rc sources say.
    t = rows["vfx_translations.dll"]
    check(t["translations"] == [{"language": 0x407, "codePage": 1252}, {"language": 0x409, "codePage": 1200},
                                {"language": 0x40C, "codePage": 1252}], f"translation list: {t['translations']}")
    check(t["stringTable"] == "040704E4" and t["stringTableNote"] is None, "the first translation's table")
    check(t["strings"] == {"ProductName": "Erstes Produkt", "LegalCopyright": "Erster Eigner",
                           "FileVersion": "1.0 de", "ProductVersion": "1.0 Produkt"}, f"strings: {t['strings']}")
    check(t["machine"] == "x86" and t["peFormat"] == "PE32", "a 32-bit x86 image")
    check(t["fixed"]["fileOS"] == 0x40004 and t["fixed"]["fileType"] == 2, f"fixed block: {t['fixed']}")
    n = rows["vfx_no_translation.dll"]
    check(n["stringTable"] == "040904E4" and "no translation" in (n["stringTableNote"] or ""),
          f"a table without a translation is used and said so: {n['stringTable']}, {n['stringTableNote']}")
    check(n["strings"].get("ProductName") == "Unreachable", "its strings are read")
    check(n["fixed"]["fileVersion"] == "3.2.1.0", "its fixed block")
    second = rows["vfx_table_of_second.dll"]
    check(second["stringTable"] == "040704B0" and "040904E4" in second["stringTableNote"]
          and "translation 2" in second["stringTableNote"], f"the second translation's table: {second}")
    check(second["strings"] == {"ProductName": "Zweite", "Comments": "\u4e2d\u6587 \U0001F600 \u0416"},
          f"exact texts, a name met twice keeping its first value: {second['strings']}")
    language = rows["vfx_table_of_language.dll"]
    check(language["stringTable"] == "040904B0" and "same language" in language["stringTableNote"],
          f"the same language's table: {language}")
    check(language["fixed"]["flags"] == ["debug", "prerelease", "privateBuild", "specialBuild"],
          f"the flags the mask lets through: {language['fixed']['flags']}")
    check((language["fixed"]["fileType"], language["fixed"]["fileSubtype"]) == (1, 7), "type and subtype")


def tree(build, fixture):
    top = tempfile.mkdtemp(prefix="vtree", dir=build)
    try:
        os.makedirs(os.path.join(top, "a"))
        shutil.copy(fixture, os.path.join(top, "a", "one.dll"))
        os.symlink(top, os.path.join(top, "a", "loop"))  # a/loop is the top again
        deep = os.path.join(top, *(["d" * 60] * 5))
        os.makedirs(deep)
        shutil.copy(fixture, os.path.join(deep, "two.dll"))
        check(len(windows(os.path.join(deep, "two.dll"))) > 260, "the deep path is past MAX_PATH")
        code, text = tool(build, "-r", "--json", windows(top))
        rows = json_rows(text)
        names = sorted(r["path"].split("\\")[-1] for r in rows)
        check(code == 0, f"the walk exits 0, not {code}")
        check(names == ["one.dll", "two.dll"], f"each file once, the loop not followed: {names}")
        check(all(r["versionInfo"] for r in rows), "both read, the long path too")
        code, text = tool(build, "--json", windows(top))
        check(json_rows(text) == [], "without -r a folder's subfolders stay closed")
    finally:
        os.unlink(os.path.join(top, "a", "loop"))
        shutil.rmtree(top)


def usage_and_text(build, fixture):
    for args in (["--json", "--csv", fixture], ["--bogus", fixture]):
        code, _ = tool(build, *args)
        check(code == 2, f"{args} is a usage error (2), not {code}")
    code, text = tool(build, "--all", fixture)
    check(code == 0 and "  ProductName: Erstes Produkt\n" in text, "--all shows every string")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    build = os.path.abspath(parser.parse_args().build)
    names = ["full", "translations", "no_translation", "fixed_only", "no_version", "text_version",
             "table_of_second", "table_of_language"]
    files = [windows(os.path.join(build, f"vfx_{n}.dll")) for n in names + ["missing"]]
    fields_as_built(formats_agree(build, files))
    fixture = os.path.join(build, "vfx_translations.dll")
    tree(build, fixture)
    usage_and_text(build, windows(fixture))
    for failure in failures:
        print("FAULT:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
