#!/usr/bin/env python3
"""Reads a table written by qorvel-dbf with an independent DBF reader (dbfread)
and compares every record and memo with what qorvel-dbf itself dumps."""
import csv
import io
import subprocess
import sys
import tempfile

import dbfread

tool = sys.argv[1]
with tempfile.TemporaryDirectory() as d:
    path = d + "/ADD0001.DBF"
    subprocess.run([tool, "gen-address", path, "500", "--seed", "3"], check=True)
    dump = subprocess.run([tool, "dump", path, "--csv", "--show-deleted"], check=True,
                          capture_output=True).stdout.decode("utf-8")
    ours = list(csv.DictReader(io.StringIO(dump, newline="")))
    table = dbfread.DBF(path, encoding="cp1252", char_decode_errors="strict", load=True,
                        ignore_missing_memofile=False)
    theirs = table.records + table.deleted
    if len(theirs) != len(ours):
        sys.exit(f"record count: dbfread {len(theirs)}, qorvel-dbf {len(ours)}")
    deleted = {int(r["RECNO"]) for r in ours if r["DELETED"] == "*"}
    if len(table.deleted) != len(deleted):
        sys.exit(f"deleted: dbfread {len(table.deleted)}, qorvel-dbf {len(deleted)}")
    live = [r for r in ours if r["DELETED"] != "*"]
    for mine, other in zip(live, table.records):
        for name, value in other.items():
            expected = mine[name]
            if isinstance(value, bool) or value is None:
                value = "T" if value else ("F" if value is False else "")
            if (value or "").rstrip() != expected:
                sys.exit(f"record {mine['RECNO']} field {name}: dbfread {value!r}, qorvel-dbf {expected!r}")
print(f"{len(theirs)} records agree")
