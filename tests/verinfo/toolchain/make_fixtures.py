#!/usr/bin/env python3
"""Makes the toolchain fixtures: version resources written by the compilers
and linkers people's files come from, not by us, with a manifest of what
each toolchain was told to write and what a reader must then find.

    make_fixtures.py

Writes the fixtures and manifest.json beside this script (they are
committed, so the tests need none of these tools), and the sources given to
each toolchain into src/. Needs, only to run this script (Debian 12):

    apt-get install binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 \
        gcc-mingw-w64-i686 llvm lld nsis mono-mcs

windres (mingw binutils, i686 and x86_64) and llvm-rc with lld-link (x86,
x64, ARM64) compile the same resource script; makensis builds a Unicode and
an ANSI installer; mcs, Mono's C# compiler, builds assemblies whose version
resource it derives from their attributes.
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SRC = os.path.join(HERE, "src")

FLAG_NAMES = [(0x01, "debug"), (0x02, "prerelease"), (0x04, "patched"), (0x08, "privateBuild"),
              (0x10, "infoInferred"), (0x20, "specialBuild")]
VOS_NT_WINDOWS32, VOS__WINDOWS32 = 0x40004, 0x4
VFT_APP, VFT_DLL = 1, 2

# What the resource compilers are told: a fixed block, string tables in the
# order written, and the translation list. Texts are exact UTF-16 once
# compiled: Cyrillic of code page 1251, and CJK and emoji beyond any 8-bit
# code page (a surrogate pair), from a UTF-8 source.
RC_FIXTURES = {
    # Three translations, the first one's table present; a German table
    # that no translation names; an empty value; every flag.
    "several": {
        "language": 0x0419,
        "fileVersion": (1, 2, 3, 4), "productVersion": (65535, 0, 7, 8),
        "flagsMask": 0x3F, "flags": 0x3F, "fileOS": VOS_NT_WINDOWS32, "fileType": VFT_DLL, "fileSubtype": 0,
        "tables": [
            ("041904E3", [
                ("CompanyName", "ООО «Пример»"),
                ("FileDescription", "Библиотека примера"),
                ("FileVersion", "1.2.3.4"),
                ("InternalName", "several"),
                ("LegalCopyright", "© 2026 Пример"),
                ("LegalTrademarks", "Пример™"),
                ("OriginalFilename", "several.dll"),
                ("ProductName", "Пример"),
                ("ProductVersion", "65535.0.7.8"),
                ("Comments", ""),
                ("PrivateBuild", "сборка 7"),
                ("SpecialBuild", "особая"),
                ("Build Host", "ёлка"),
            ]),
            ("040904B0", [
                ("CompanyName", "Example Ltd"),
                ("FileDescription", "Emoji 😀 and 中文, Ω"),
                ("ProductName", "日本語 🙂"),
                ("Comments", ""),
            ]),
            ("041104B0", [("ProductName", "サンプル製品")]),
            ("040704B0", [("ProductName", "Beispiel ä ö ü ß")]),
        ],
        "translations": [(0x0419, 1251), (0x0409, 1200), (0x0411, 1200)],
    },
    # The translation names 040904E4, which the file does not have: a
    # reader must say which table it used instead, and why.
    "missing_table": {
        "language": 0x0409,
        "fileVersion": (10, 0, 19041, 1), "productVersion": (10, 0, 0, 0),
        "flagsMask": 0x3F, "flags": 0x0, "fileOS": VOS__WINDOWS32, "fileType": VFT_APP, "fileSubtype": 0,
        "tables": [
            ("040904B0", [("ProductName", "Unicode table 🙂"), ("FileVersion", "10.0")]),
            ("041904E3", [("ProductName", "Кириллица")]),
        ],
        "translations": [(0x0409, 1252)],
    },
}

# Toolchain, machine, PE format; the x86_64 windres shares the i686 one's
# preprocessor (the C preprocessor defines nothing a resource script uses).
RC_BUILDS = [("windres", "x86", "PE32"), ("windres", "x64", "PE32+"), ("llvm", "x86", "PE32"),
             ("llvm", "x64", "PE32+"), ("llvm", "arm64", "PE32+")]


def rc_string(text):
    return '"' + text.replace('"', '""') + '"'


def rc_source(fixture):
    f = fixture
    lines = ["#pragma code_page(65001)",
             f"LANGUAGE 0x{f['language'] & 0x3FF:X}, 0x{f['language'] >> 10:X}",
             "1 VERSIONINFO",
             "FILEVERSION " + ",".join(map(str, f["fileVersion"])),
             "PRODUCTVERSION " + ",".join(map(str, f["productVersion"])),
             f"FILEFLAGSMASK 0x{f['flagsMask']:X}", f"FILEFLAGS 0x{f['flags']:X}", f"FILEOS 0x{f['fileOS']:X}",
             f"FILETYPE 0x{f['fileType']:X}", f"FILESUBTYPE 0x{f['fileSubtype']:X}",
             "BEGIN", '  BLOCK "StringFileInfo"', "  BEGIN"]
    for key, values in f["tables"]:
        lines += [f'    BLOCK "{key}"', "    BEGIN"]
        lines += [f"      VALUE {rc_string(name)}, {rc_string(value)}" for name, value in values]
        lines += ["    END"]
    lines += ["  END", '  BLOCK "VarFileInfo"', "  BEGIN",
              '    VALUE "Translation", ' + ", ".join(f"0x{lang:X}, {cp}" for lang, cp in f["translations"]),
              "  END", "END", ""]
    return "\n".join(lines)


def run(*command, cwd=None):
    result = subprocess.run(command, cwd=cwd, capture_output=True, text=True)
    if result.returncode != 0:
        sys.exit(f"{' '.join(command)} failed:\n{result.stdout}\n{result.stderr}")
    return result.stdout


def build_rc(name, source, toolchain, machine, scratch):
    rc = os.path.join(scratch, f"{name}.rc")
    with open(rc, "w", encoding="utf-8") as out:
        out.write(source)
    dll = os.path.join(HERE, f"rc_{name}_{toolchain}_{machine}.dll")
    if toolchain == "windres":
        prefix = {"x86": "i686", "x64": "x86_64"}[machine]
        obj = os.path.join(scratch, f"{name}_{machine}.o")
        run(f"{prefix}-w64-mingw32-windres", "--preprocessor=i686-w64-mingw32-gcc", "--preprocessor-arg=-E",
            "--preprocessor-arg=-xc", "--preprocessor-arg=-DRC_INVOKED", "-c", "65001", "-i", rc, "-o", obj)
        # A resource-only DLL: no code, no entry point.
        run(f"{prefix}-w64-mingw32-ld", "--dll", "-e", "0", "-s", "-o", dll, obj)
    else:
        res = os.path.join(scratch, f"{name}.res")
        run("llvm-rc", "-C", "65001", "-FO", res, rc)
        run("lld-link", "/dll", "/noentry", f"/machine:{machine}", "/Brepro", f"/out:{dll}",
            f"/implib:{os.path.join(scratch, 'unused.lib')}", res)
    return os.path.basename(dll)


def flag_names(flags):
    return [name for bit, name in FLAG_NAMES if flags & bit]


def version_text(parts):
    return ".".join(str(p) for p in parts)


def rc_expect(fixture, machine, pe_format):
    f = fixture
    tables = dict(f["tables"])
    named = "%04X%04X" % f["translations"][0]
    # A missing table: the first table of the file stands in.
    chosen = named if named in tables else f["tables"][0][0]
    return {
        "versionInfo": True, "machine": machine, "peFormat": pe_format, "resourceLanguage": f["language"],
        "translations": [{"language": lang, "codePage": cp} for lang, cp in f["translations"]],
        "stringTable": chosen, "stringTableNote": None if chosen == named else {"names": named},
        "fixed": {"fileVersion": version_text(f["fileVersion"]), "productVersion": version_text(f["productVersion"]),
                  "flags": flag_names(f["flags"] & f["flagsMask"]), "fileOS": f["fileOS"], "fileType": f["fileType"],
                  "fileSubtype": f["fileSubtype"]},
        "strings": dict(tables[chosen]),
    }


# makensis: VIProductVersion and VIFileVersion fill the fixed block (OS 4,
# type application, no flags); VIAddVersionKey /LANG=... the string table of
# that language, under a lower-case key with the language's own code page
# (1251 for Russian, in the Unicode build too), its names sorted. The ANSI
# build converts the script's texts to that code page first, so it can only
# carry text the code page holds.
NSIS_FIXTURES = {
    "nsis_unicode": {"unicode": True, "productVersion": "2.4.6.8", "fileVersion": "1.3.5.7",
                     "keys": [("ProductName", "Установщик 日本語 🙂"), ("FileDescription", "Пример установки"),
                              ("LegalCopyright", "© Пример"), ("Comments", ""), ("FileVersion", "1.3.5.7"),
                              ("CompanyName", "ООО «Пример»")]},
    "nsis_ansi": {"unicode": False, "productVersion": "3.0.0.1", "fileVersion": "3.0.0.2",
                  "keys": [("ProductName", "Установщик «Пример»"), ("FileDescription", "Кириллица в 1251"),
                           ("LegalCopyright", "© Пример"), ("Comments", ""), ("FileVersion", "3.0.0.2"),
                           ("CompanyName", "Пример")]},
}
LANG_RUSSIAN, CP_RUSSIAN = 1049, 1251


def nsis_string(text):
    return '"' + text.replace("$", "$$").replace('"', '$\\"') + '"'


def nsis_source(name, f):
    lines = [f"Unicode {'true' if f['unicode'] else 'false'}", 'Name "Fixture"', f'OutFile "{name}.exe"',  # beside this script: makensis runs here
             "RequestExecutionLevel user", 'LoadLanguageFile "${NSISDIR}\\Contrib\\Language files\\Russian.nlf"',
             f'VIProductVersion "{f["productVersion"]}"', f'VIFileVersion "{f["fileVersion"]}"']
    lines += [f"VIAddVersionKey /LANG=${{LANG_RUSSIAN}} {nsis_string(k)} {nsis_string(v)}" for k, v in f["keys"]]
    lines += ["Section", "SectionEnd", ""]
    # With the byte order mark makensis reads the script as UTF-8.
    return "\ufeff" + "\n".join(lines)


def nsis_expect(f):
    return {
        "versionInfo": True, "machine": "x86", "peFormat": "PE32", "resourceLanguage": LANG_RUSSIAN,
        "translations": [{"language": LANG_RUSSIAN, "codePage": CP_RUSSIAN}],
        "stringTable": "%04x%04x" % (LANG_RUSSIAN, CP_RUSSIAN), "stringTableNote": None,
        "fixed": {"fileVersion": f["fileVersion"], "productVersion": f["productVersion"], "flags": [],
                  "fileOS": VOS__WINDOWS32, "fileType": VFT_APP, "fileSubtype": 0},
        "strings": dict(sorted(f["keys"])),
    }


# mcs: the assembly's attributes, as written in its source ("" is an empty
# attribute, a missing name no attribute at all).
MCS_FIXTURES = {
    "mcs_full": {"AssemblyTitle": "Title Ω", "AssemblyDescription": "Description 日本語",
                 "AssemblyCompany": "Компания", "AssemblyProduct": "Product 🙂",
                 "AssemblyCopyright": "Copyright © 2026", "AssemblyTrademark": "Trademark™",
                 "AssemblyVersion": "1.2.3.4", "AssemblyFileVersion": "5.6.7.8",
                 "AssemblyInformationalVersion": "9.10-beta+abc"},
    "mcs_empty": {"AssemblyTitle": "", "AssemblyDescription": "", "AssemblyCompany": "", "AssemblyProduct": "",
                  "AssemblyCopyright": "", "AssemblyTrademark": "", "AssemblyFileVersion": "",
                  "AssemblyInformationalVersion": ""},
    "mcs_missing": {"AssemblyVersion": "3.1.4.1"},
}

# How mcs writes the version resource: one table, 007f04b0 (the invariant
# language, UTF-16), after the translation list; these names in this order,
# each from its attribute, a missing attribute written as one space and an
# empty one as an empty text. FileVersion is AssemblyFileVersion, else
# AssemblyVersion, else 0.0.0.0, and gives the fixed file version too;
# ProductVersion is AssemblyInformationalVersion, else AssemblyVersion, and
# the fixed product version is its leading numbers (a missing part 0);
# InternalName is the module's name without its extension.
MCS_STRINGS = [("Comments", "AssemblyDescription"), ("CompanyName", "AssemblyCompany"),
               ("FileDescription", "AssemblyTitle"), ("FileVersion", None), ("InternalName", None),
               ("LegalCopyright", "AssemblyCopyright"), ("LegalTrademarks", "AssemblyTrademark"),
               ("OriginalFilename", None), ("ProductName", "AssemblyProduct"),
               ("ProductVersion", "AssemblyInformationalVersion")]


def leading_version(text):
    parts = []
    for piece in text.split(".")[:4]:
        digits = ""
        for c in piece:
            if not c.isdigit():
                break
            digits += c
        if not digits:
            break
        parts.append(int(digits))
        if digits != piece:
            break
    return version_text(parts + [0] * (4 - len(parts)))


def mcs_source(attributes):
    lines = ["using System.Reflection;"]
    lines += [f'[assembly: {name}("{value}")]' for name, value in attributes.items()]
    lines += ["public class Fixture {}", ""]
    return "\n".join(lines)


def mcs_expect(name, attributes):
    file_version = attributes.get("AssemblyFileVersion") or attributes.get("AssemblyVersion") or "0.0.0.0"
    product_version = attributes.get("AssemblyInformationalVersion", attributes.get("AssemblyVersion", " "))
    strings = {}
    for key, attribute in MCS_STRINGS:
        if key == "FileVersion":
            strings[key] = file_version
        elif key == "InternalName":
            strings[key] = name
        elif key == "OriginalFilename":
            strings[key] = name + ".dll"
        elif key == "ProductVersion":
            strings[key] = product_version
        else:
            strings[key] = attributes.get(attribute, " ")
    return {
        "versionInfo": True, "machine": "x86", "peFormat": "PE32", "resourceLanguage": 0,
        "translations": [{"language": 0x007F, "codePage": 1200}],
        "stringTable": "007f04b0", "stringTableNote": None,
        "fixed": {"fileVersion": file_version,
                  "productVersion": leading_version(product_version),
                  "flags": [], "fileOS": VOS__WINDOWS32, "fileType": VFT_DLL, "fileSubtype": 0},
        "strings": strings,
    }


def tool_version(*command):
    return run(*command).strip().splitlines()[0]


def main():
    os.makedirs(SRC, exist_ok=True)
    manifest = {"toolchains": {
        "windres": tool_version("i686-w64-mingw32-windres", "--version"),
        "llvm-rc": "LLVM " + tool_version("llvm-config", "--version"),
        "lld-link": tool_version("lld-link", "--version"),
        "makensis": tool_version("makensis", "-VERSION"),
        "mcs": tool_version("mcs", "--version"),
    }, "fixtures": []}
    with tempfile.TemporaryDirectory() as scratch:
        for name, fixture in RC_FIXTURES.items():
            source = rc_source(fixture)
            with open(os.path.join(SRC, f"{name}.rc"), "w", encoding="utf-8") as out:
                out.write(source)
            for toolchain, machine, pe_format in RC_BUILDS:
                file = build_rc(name, source, toolchain, machine, scratch)
                manifest["fixtures"].append({"file": file, "toolchain": toolchain, "source": f"src/{name}.rc",
                                             "expect": rc_expect(fixture, machine, pe_format)})
        for name, fixture in NSIS_FIXTURES.items():
            script = os.path.join(SRC, f"{name}.nsi")
            with open(script, "w", encoding="utf-8") as out:
                out.write(nsis_source(name, fixture))
            run("makensis", "-V1", "-NOCD", script, cwd=HERE)
            manifest["fixtures"].append({"file": f"{name}.exe", "toolchain": "makensis", "source": f"src/{name}.nsi",
                                         "expect": nsis_expect(fixture)})
        for name, attributes in MCS_FIXTURES.items():
            source = os.path.join(SRC, f"{name}.cs")
            with open(source, "w", encoding="utf-8") as out:
                out.write(mcs_source(attributes))
            run("mcs", "-nologo", "-nowarn:7035", "-target:library", f"-out:{os.path.join(HERE, name + '.dll')}",
                source)
            manifest["fixtures"].append({"file": f"{name}.dll", "toolchain": "mcs", "source": f"src/{name}.cs",
                                         "told": attributes, "expect": mcs_expect(name, attributes)})
    with open(os.path.join(HERE, "manifest.json"), "w", encoding="utf-8") as out:
        json.dump(manifest, out, ensure_ascii=False, indent=1)
        out.write("\n")
    print(f"{len(manifest['fixtures'])} fixtures")


if __name__ == "__main__":
    main()
