#!/usr/bin/env python3
"""Compares the shipped outputs of two Windows builds byte for byte: setup.exe, every payload
program and every payload the build made. A signed setup.exe is compared as it was before signing.
Each file must also be free of the given texts (build and source folders).

usage: compare_builds.py [--forbid TEXT]... BUILD_A BUILD_B
"""
import argparse
import hashlib
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from pe import Pe, is_pe  # noqa: E402

LIST = "release-files.txt"  # tests/release/CMakeLists.txt: path, description, file version per PE
PAYLOADS = "resources/payloads"


def shipped_files(build):
    """Paths relative to the build folder."""
    build = Path(build).resolve()
    names = []
    for line in (build / LIST).read_text().splitlines():
        if line.strip():
            path = line.split("\t")[0]
            names.append(str(Path(path).resolve().relative_to(build)))
    payloads = build / PAYLOADS
    if payloads.is_dir():
        names += sorted(str(p.relative_to(build)) for p in payloads.iterdir() if p.is_file())
    return names


def comparable(data):
    return Pe(data).without_signature() if is_pe(data) else data


def find_texts(data, texts):
    """(text, offset) of the first place each text occurs, in 8-bit or UTF-16 form."""
    found = []
    for t in texts:
        for form in (t.encode("utf-8"), t.encode("utf-16-le")):
            at = data.find(form)
            if at >= 0:
                found.append((t, at))
                break
    return found


def describe_difference(name, a, b):
    size = min(len(a), len(b))
    first = next((i for i in range(size) if a[i] != b[i]), size)
    count = sum(1 for i in range(size) if a[i] != b[i]) + abs(len(a) - len(b))
    where = Pe(a).section_at(first) if is_pe(a) else "data"
    return ("%s differs: %d and %d bytes, %d bytes differ, the first at offset %d (%s)"
            % (name, len(a), len(b), count, first, where))


def compare(build_a, build_b, forbid=()):
    """(problems, figures): lists of text lines."""
    problems, figures = [], []
    names_a, names_b = shipped_files(build_a), shipped_files(build_b)
    for n in sorted(set(names_a) ^ set(names_b)):
        problems.append("%s is made by only one of the builds" % n)
    if not names_a:
        problems.append("%s lists no shipped files" % build_a)
    for n in [n for n in names_a if n in names_b]:
        raw_a = (Path(build_a) / n).read_bytes()
        raw_b = (Path(build_b) / n).read_bytes()
        for build, raw in ((build_a, raw_a), (build_b, raw_b)):
            for text, at in find_texts(raw, forbid):
                problems.append("%s/%s holds %r at offset %d" % (build, n, text, at))
        a, b = comparable(raw_a), comparable(raw_b)
        if a != b:
            problems.append(describe_difference(n, a, b))
        else:
            figures.append("same  %8d bytes  %s  %s" % (len(a), hashlib.sha256(a).hexdigest()[:16], n))
    return problems, figures


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--forbid", action="append", default=[])
    ap.add_argument("build_a")
    ap.add_argument("build_b")
    a = ap.parse_args()
    problems, figures = compare(a.build_a, a.build_b, a.forbid)
    for line in figures:
        print(line)
    for line in problems:
        print("FAIL " + line)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
