#!/usr/bin/env python3
"""Reads schedule files by the format's published rules alone, knowing nothing
of links: the sections of slots 0 .. N-1 that are persisted (0, 1, 2; slot 3,
the task table, is not), every byte after the last section ignored. A file
with links must read here exactly as the same schedule without them, and the
links must sit wholly after the last section.

usage: format_rules_reader.py VINTA_KTS WORK_DIR
"""
import struct
import subprocess
import sys
from pathlib import Path

PERSISTED = {0, 1, 2}


def read_tables(data):
    assert data[:5] == b"#$%&\0", "not a schedule"
    (version,) = struct.unpack_from("<d", data, 11)
    assert version <= 1.0
    (count,) = struct.unpack_from("<i", data, 19)
    at = 75
    tables = []
    for slot in range(count):
        if slot not in PERSISTED:
            continue
        columns, rows, last_serial = struct.unpack_from("<iii", data, at)
        at += 72
        records = []
        for _ in range(rows):
            length, height = struct.unpack_from("<ii", data, at)
            at += 8
            records.append((height, data[at:at + length]))
            at += length
        tables.append((slot, columns, last_serial, records))
    return tables, at


def main():
    kts, work = sys.argv[1], Path(sys.argv[2])
    work.mkdir(parents=True, exist_ok=True)
    failures = 0
    for rows, links in ((12, 5), (300, 60), (2000, 700)):
        plain, linked = work / f"plain-{rows}.kts", work / f"linked-{rows}.kts"
        for path, extra in ((plain, []), (linked, ["--links", str(links)])):
            subprocess.run([kts, "generate", "--force", "--rows", str(rows), *extra, str(path)], check=True)
        plain_bytes, linked_bytes = plain.read_bytes(), linked.read_bytes()
        plain_tables, plain_end = read_tables(plain_bytes)
        linked_tables, linked_end = read_tables(linked_bytes)
        checks = {
            "the same tables": plain_tables == linked_tables,
            "no bytes after the tables without links": plain_end == len(plain_bytes),
            "the block begins where the tables end": linked_bytes[linked_end:linked_end + 8] == b"VintaLnk",
            "the tables' bytes are the plain file's": linked_bytes[:linked_end] == plain_bytes,
            "the block holds the links, 16 bytes each": len(linked_bytes) - linked_end == 16 + 4 + 16 * links + 4,
        }
        for name, ok in checks.items():
            print(("ok   " if ok else "FAIL ") + f"{rows} rows, {links} links: {name}")
            failures += 0 if ok else 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
