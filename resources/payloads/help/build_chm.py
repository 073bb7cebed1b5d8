#!/usr/bin/env python3
"""Compiles the writing pad's help pages into Quillith.chm with chmcmd.

    build_chm.py CHMCMD SOURCE_DIR WORK_DIR OUTPUT

chmcmd stamps the compile time into the file twice (the ITSF header and the #SYSTEM entry 10);
both are set to one fixed time, so that the same pages always give the same file. The pages are
compiled in a copy, since chmcmd writes next to its project file.

The file's row in setup's file table wants a help file whose LZHUF stream is 84 % of its size.
chmcmd pads its directory chunk with some 3 KB of zeros, which the stream packs to nearly nothing,
and with the padding it has elsewhere the file cannot reach that share even with random filler
after it. So the unused space of each directory chunk, which readers never look at (they stop at
the chunk's free-space mark and keep away from the quick-reference table at its end), gets the
same kind of deterministic filler that payload-fit appends.
"""
import random
import shutil
import struct
import subprocess
import sys
from pathlib import Path

PROJECT = "quillith.hhp"
FIXED_TIME = 1264993200  # 2010-02-01 03:00:00 UTC, the date the product's files carry


def encint(data, pos):
    value = 0
    while True:
        b = data[pos]
        pos += 1
        value = (value << 7) | (b & 0x7F)
        if b < 0x80:
            return value, pos


def directory_chunks(data):
    """(offset, size, density) of every PMGL chunk of an ITSF version 3 file."""
    if data[:4] != b"ITSF" or struct.unpack_from("<I", data, 4)[0] != 3:
        raise SystemExit("build_chm: chmcmd did not write an ITSF version 3 file")
    dir_offset = struct.unpack_from("<Q", data, 0x48)[0]
    if data[dir_offset:dir_offset + 4] != b"ITSP":
        raise SystemExit("build_chm: no ITSP directory header")
    header_len, = struct.unpack_from("<I", data, dir_offset + 8)
    chunk_size, density = struct.unpack_from("<II", data, dir_offset + 0x10)
    chunks, = struct.unpack_from("<I", data, dir_offset + 0x2C)
    for c in range(chunks):
        base = dir_offset + header_len + c * chunk_size
        if data[base:base + 4] == b"PMGL":
            yield base, chunk_size, density


def directory(data):
    """{name: (section, offset, length)} from the directory chunks."""
    entries = {}
    for base, chunk_size, _ in directory_chunks(data):
        free, = struct.unpack_from("<I", data, base + 4)
        pos, end = base + 0x14, base + chunk_size - free
        while pos < end:
            n, pos = encint(data, pos)
            name = data[pos:pos + n].decode("utf-8")
            pos += n
            section, pos = encint(data, pos)
            offset, pos = encint(data, pos)
            length, pos = encint(data, pos)
            entries[name] = (section, offset, length)
    return entries


def fix_times(data):
    struct.pack_into("<I", data, 0x10, FIXED_TIME)
    content = struct.unpack_from("<Q", data, 0x58)[0]
    section, offset, length = directory(data)["/#SYSTEM"]
    if section != 0:
        raise SystemExit("build_chm: #SYSTEM is compressed")
    pos, end = content + offset + 4, content + offset + length  # after the version number
    stamped = False
    while pos + 4 <= end:
        code, size = struct.unpack_from("<HH", data, pos)
        if code == 10 and size == 4:
            struct.pack_into("<I", data, pos + 4, FIXED_TIME)
            stamped = True
        pos += 4 + size
    if not stamped:
        raise SystemExit("build_chm: #SYSTEM has no time entry")


def fill_free_space(data):
    """Random bytes between a chunk's last entry and its quick-reference table, less a margin."""
    rng = random.Random(5)
    for base, chunk_size, density in directory_chunks(data):
        free, = struct.unpack_from("<I", data, base + 4)
        entries, = struct.unpack_from("<H", data, base + chunk_size - 2)
        quickref = 2 + 2 * (entries // (1 + (1 << density)))
        start, end = base + chunk_size - free, base + chunk_size - quickref - 16
        if end <= start or any(data[start:end]):
            raise SystemExit("build_chm: a directory chunk has no zero padding where expected")
        data[start:end] = bytes(rng.randrange(256) for _ in range(end - start))


def main():
    chmcmd, source, work, output = sys.argv[1:5]
    work = Path(work)
    shutil.rmtree(work, ignore_errors=True)
    shutil.copytree(source, work, ignore=shutil.ignore_patterns("*.py"))
    r = subprocess.run([chmcmd, "--no-html-scan", PROJECT], cwd=work, capture_output=True, text=True)
    chm = work / "Quillith.chm"
    if r.returncode != 0 or not chm.exists():
        sys.stderr.write(r.stdout + r.stderr)
        raise SystemExit("build_chm: chmcmd failed")
    data = bytearray(chm.read_bytes())
    fix_times(data)
    fill_free_space(data)
    if directory(data) != directory(bytes(chm.read_bytes())):
        raise SystemExit("build_chm: the directory reads differently after the filling")
    Path(output).write_bytes(bytes(data))


if __name__ == "__main__":
    main()
