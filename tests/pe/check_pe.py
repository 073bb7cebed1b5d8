#!/usr/bin/env python3
"""Checks one PE file with objdump -p: subsystem, versions, DLLs and the imported functions.

With --update the snapshot of imported functions is rewritten instead of compared, so that a new
import shows up as a reviewed change to the snapshot file.
"""
import argparse
import re
import subprocess
import sys

ALLOWED_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
                "ole32.dll", "msvcrt.dll", "comctl32.dll"}


def parse(text):
    info = {}
    for key in ("Subsystem", "MajorSubsystemVersion", "MinorSubsystemVersion",
                "MajorOSystemVersion", "MinorOSystemVersion"):
        m = re.search(r"^%s\s+(\S+)" % key, text, re.M)
        info[key] = m.group(1) if m else None
    imports = []
    dll = None
    for line in text.splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            dll = m.group(1).lower()
            continue
        m = re.match(r"\s+[0-9a-f]+\s+([0-9a-f]+\s+)?(\S+)$", line)
        if dll and m and not line.strip().startswith("vma:"):
            imports.append("%s!%s" % (dll, m.group(2)))
        if not line.strip():
            pass
    return info, imports


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--arch", required=True, choices=["x86", "x64"])
    ap.add_argument("--objdump", default="objdump")
    ap.add_argument("--snapshot", required=True)
    ap.add_argument("--update", action="store_true")
    ap.add_argument("pe")
    a = ap.parse_args()
    text = subprocess.run([a.objdump, "-p", a.pe], check=True, capture_output=True, text=True).stdout
    info, imports = parse(text)
    errors = []
    if info["Subsystem"] != "00000002":
        errors.append("subsystem is %s, not 2 (Windows GUI)" % info["Subsystem"])
    if a.arch == "x86":
        for key in ("MajorSubsystemVersion", "MajorOSystemVersion"):
            if info[key] != "4":
                errors.append("%s is %s, not 4" % (key, info[key]))
        for key in ("MinorSubsystemVersion", "MinorOSystemVersion"):
            if info[key] != "0":
                errors.append("%s is %s, not 0" % (key, info[key]))
        if "file format pei-i386" not in subprocess.run([a.objdump, "-f", a.pe], capture_output=True,
                                                         text=True).stdout:
            errors.append("not a 32-bit PE")
    dlls = sorted({i.split("!")[0] for i in imports})
    for d in dlls:
        if d not in ALLOWED_DLLS:
            errors.append("imports from %s, which is not a system DLL of every Windows" % d)
    listing = "".join(sorted(set(i + "\n" for i in imports)))
    if a.update:
        with open(a.snapshot, "w") as f:
            f.write(listing)
    else:
        try:
            with open(a.snapshot) as f:
                want = f.read()
        except FileNotFoundError:
            want = None
        if want != listing:
            old = set((want or "").splitlines())
            new = set(listing.splitlines())
            errors.append("imports differ from %s (rerun with --update after review):\n  added: %s\n  removed: %s"
                          % (a.snapshot, sorted(new - old), sorted(old - new)))
    for e in errors:
        print("FAIL %s: %s" % (a.pe, e))
    if not errors:
        print("ok %s: GUI, %d DLLs, %d imports" % (a.pe, len(dlls), len(imports)))
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
