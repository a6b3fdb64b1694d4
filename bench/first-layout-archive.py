#!/usr/bin/env python3
"""Writes an archive of nxa-collect's first layout for the upgrade benchmark.

first-layout-archive.py FILE ROWS DATES: ROWS records of 10 testers spread
evenly over DATES days, one attempt per tester and day; every tenth access was
archived a second time by a later attempt under a renamed user, as the first
layout did, so the upgrade has copies to merge.
"""
import datetime
import sqlite3
import sys

path, rows, dates = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
testers = 10
db = sqlite3.connect(path)
db.executescript("""
CREATE TABLE archive_info (name TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE testers (id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE, address TEXT NOT NULL,
  port INTEGER NOT NULL);
CREATE TABLE attempts (id INTEGER PRIMARY KEY, tester BIGINT NOT NULL REFERENCES testers (id),
  started BIGINT NOT NULL, ended BIGINT NOT NULL, result INTEGER NOT NULL, received INTEGER NOT NULL,
  added INTEGER NOT NULL, image_digest BLOB);
CREATE INDEX attempts_by_tester ON attempts (tester, id);
CREATE TABLE records (tester BIGINT NOT NULL REFERENCES testers (id), record_date TEXT NOT NULL,
  record_time TEXT NOT NULL, pn TEXT NOT NULL, user_id TEXT NOT NULL, visitor TEXT NOT NULL,
  user_name TEXT NOT NULL, wrist_strap TEXT NOT NULL, shoe_l TEXT NOT NULL, shoe_r TEXT NOT NULL,
  shoe_lr TEXT NOT NULL, passed TEXT NOT NULL, relay TEXT NOT NULL, recognition TEXT NOT NULL,
  occurrence INTEGER NOT NULL, attempt BIGINT NOT NULL REFERENCES attempts (id), seq INTEGER NOT NULL,
  raw BLOB NOT NULL, PRIMARY KEY (tester, record_date, record_time, user_id, pn, visitor, user_name,
  wrist_strap, shoe_l, shoe_r, shoe_lr, passed, relay, recognition, occurrence)) WITHOUT ROWID;
INSERT INTO archive_info VALUES ('schema-version', '1');
""")
db.executemany("INSERT INTO testers VALUES (?, ?, ?, ?)",
               [(t + 1, "t%d" % t, "127.0.0.%d" % (t + 2), 80) for t in range(testers)])
first = datetime.date(2017, 1, 1)
# Originals per tester and day, with every tenth archived twice: just over ROWS in all.
per_day = rows / 1.104 / (dates * testers)


def attempt(tester, day):
    return day * testers + tester + 1


db.executemany("INSERT INTO attempts VALUES (?, ?, ?, ?, 0, 0, 0, NULL)",
               [(attempt(t, d), t + 1, d * 86400000, d * 86400000 + 1000)
                for d in range(dates + 1) for t in range(testers)])


made = 0


def records():
    global made
    for d in range(dates):
        day = (first + datetime.timedelta(days=d)).isoformat()
        for t in range(testers):
            slot = d * testers + t
            for i in range(int((slot + 1) * per_day) - int(slot * per_day)):
                if made >= rows:
                    return
                user = (i * 7 + t) % 1000
                second = i * 3 % 86400
                time = "%02d:%02d:%02d" % (second // 3600, second // 60 % 60, second % 60)
                raw = (made.to_bytes(8, "big") + t.to_bytes(8, "big"))
                cells = (day, time, "1", str(user), "N", "User %d" % user, "900", "800", "700",
                         "", "Y", "Y", "Fingerprint")
                made += 1
                yield (t + 1,) + cells + (0, attempt(t, d), i, raw)
                if i % 10 == 0 and made < rows:
                    renamed = cells[:5] + ("Renamed %d" % user,) + cells[6:]
                    made += 1
                    yield (t + 1,) + renamed + (0, attempt(t, d + 1), i, raw)


db.executemany("INSERT INTO records VALUES (%s)" % ",".join("?" * 18), records())
if made < rows:
    sys.exit("fewer records than asked for")
db.commit()
print(db.execute("SELECT COUNT(*), COUNT(DISTINCT record_date) FROM records").fetchone())
