#!/usr/bin/env python3
"""The floor of storing a collection in SQLite: the same rows, plainly.

Reads every record row of an nxa-collect SQLite archive, grouped by tester,
then inserts them into a new database with the archive's own records table
(WAL, synchronous NORMAL, as the collector opens it) with one executemany
and one transaction per tester. Only the inserts are timed. Prints the CPU
seconds (process_time) and wall seconds of that part.

Usage: executemany-floor.py ARCHIVE OUTPUT
"""
import os
import sqlite3
import sys
import time

archive, output = sys.argv[1], sys.argv[2]
for suffix in ("", "-wal", "-shm"):
    if os.path.exists(output + suffix):
        os.remove(output + suffix)

source = sqlite3.connect(archive)
table = source.execute("SELECT sql FROM sqlite_master WHERE name = 'records'").fetchone()[0]
columns = len(source.execute("SELECT * FROM records LIMIT 1").description)
by_tester = {}
for row in source.execute("SELECT * FROM records ORDER BY tester, attempt, seq"):
    by_tester.setdefault(row[0], []).append(row)
source.close()

cpu, wall = time.process_time(), time.perf_counter()
target = sqlite3.connect(output, isolation_level=None)
target.execute("PRAGMA journal_mode = WAL")
target.execute("PRAGMA synchronous = NORMAL")
target.execute(table)
insert = "INSERT INTO records VALUES (%s)" % ",".join("?" * columns)
for rows in by_tester.values():
    target.execute("BEGIN")
    target.executemany(insert, rows)
    target.execute("COMMIT")
target.close()
print("rows=%d cpu_s=%.3f wall_s=%.3f" % (sum(map(len, by_tester.values())),
                                           time.process_time() - cpu, time.perf_counter() - wall))
