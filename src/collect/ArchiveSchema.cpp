#include "collect/ArchiveSchema.h"

#include "collect/Archive.h"
#include "collect/ArchiveLog.h"
#include "collect/Calibrations.h"
#include "collect/FirstLayoutCopy.h"
#include "collect/RosterStore.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <vector>

namespace nxa::collect {

namespace {

constexpr char kDateFormat[] = "yyyy-MM-dd";

// The 13 displayed cells, as every layout names them.
constexpr char kCellColumns[] = "pn, user_id, visitor, user_name, wrist_strap, shoe_l, shoe_r, "
                                "shoe_lr, passed, relay, recognition, record_date, record_time";

QStringList tableStatements(const Archive &a) {
    const QString cell = QStringLiteral(" TEXT NOT NULL, ");
    return {
        // A tester is known by its key (its id= or its address and port), so
        // renaming its group keeps its history; the name is what it is
        // called now.
        QStringLiteral("CREATE TABLE testers (id %1, tester_key TEXT NOT NULL UNIQUE, name TEXT "
                       "NOT NULL, address TEXT NOT NULL, port INTEGER NOT NULL)")
            .arg(a.idType()),
        QStringLiteral("CREATE TABLE attempts (id %1, tester BIGINT NOT NULL REFERENCES testers "
                       "(id), started BIGINT NOT NULL, ended BIGINT NOT NULL, result INTEGER NOT "
                       "NULL, received INTEGER NOT NULL, added INTEGER NOT NULL, image_digest %2, "
                       "image_records INTEGER NOT NULL DEFAULT 0, gap %3 NOT NULL DEFAULT FALSE, "
                       "gap_from %4, gap_to %4, detail TEXT)")
            .arg(a.idType(), a.bytesType(), a.boolType(), a.timestampType()),
        QStringLiteral("CREATE INDEX attempts_by_tester ON attempts (tester, id)"),
        // One row per access: the tester, the 16 bytes the tester stored and
        // the occurrence among identical records of one image. The cells are
        // those of the download that first brought it; the typed columns are
        // the same record for tools that count and chart.
        QStringLiteral(
            "CREATE TABLE records (tester BIGINT NOT NULL REFERENCES testers (id), raw %1 NOT "
            "NULL, occurrence INTEGER NOT NULL, attempt BIGINT NOT NULL REFERENCES attempts (id), "
            "seq INTEGER NOT NULL, pn%2user_id%2visitor%2user_name%2wrist_strap%2shoe_l%2shoe_r%2"
            "shoe_lr%2passed%2relay%2recognition%2record_date%2record_time TEXT NOT NULL, "
            "local_time %3, local_date %4, user_number INTEGER NOT NULL, is_visitor %5 NOT NULL, "
            "is_pass %5 NOT NULL, relay_on %5 NOT NULL, by_keyboard %5 NOT NULL, ws_kohm INTEGER, "
            "l_kohm INTEGER, r_kohm INTEGER, lr_kohm INTEGER, PRIMARY KEY (tester, raw, "
            "occurrence))%6")
            .arg(a.bytesType(), cell, a.timestampType(), a.dateType(), a.boolType(),
                 a.isSqlite() ? QStringLiteral(" WITHOUT ROWID") : QString()),
    };
}

// Layout 3: the configurations the testers held, so the limits in force on
// any day are known. Added to a layout-2 archive as they stand.
QStringList configurationStatements(const Archive &a) {
    return {
        QStringLiteral("CREATE TABLE configurations (id %1, tester BIGINT NOT NULL REFERENCES "
                       "testers (id), taken BIGINT NOT NULL, digest %2 NOT NULL, image %2 NOT "
                       "NULL, peripheral_number INTEGER NOT NULL, description TEXT NOT NULL, mode "
                       "TEXT NOT NULL)")
            .arg(a.idType(), a.bytesType()),
        QStringLiteral("CREATE INDEX configurations_by_tester ON configurations (tester, id)"),
        QStringLiteral("CREATE TABLE profile_limits (configuration BIGINT NOT NULL REFERENCES "
                       "configurations (id), profile INTEGER NOT NULL, footwear_min BIGINT, "
                       "footwear_max BIGINT, wrist_strap_min BIGINT, wrist_strap_max BIGINT, "
                       "check_choice TEXT, relay_choice TEXT, PRIMARY KEY (configuration, "
                       "profile))"),
        QStringLiteral("CREATE TABLE configuration_users (configuration BIGINT NOT NULL "
                       "REFERENCES configurations (id), user_number INTEGER NOT NULL, active %1 "
                       "NOT NULL, name TEXT NOT NULL, profile INTEGER, PRIMARY KEY "
                       "(configuration, user_number))")
            .arg(a.boolType()),
        QStringLiteral("ALTER TABLE attempts ADD COLUMN config_result INTEGER"),
        QStringLiteral("ALTER TABLE attempts ADD COLUMN config_detail TEXT"),
        QStringLiteral("ALTER TABLE attempts ADD COLUMN configuration BIGINT REFERENCES "
                       "configurations (id)"),
    };
}

// Layout 4: each tester's last stored image as its records' bytes back to
// back, so the next download of a tester whose datalogger has moved on by
// a few records stores only those. An upgraded archive has none yet: each
// tester's next download is stored whole, as before.
QStringList lastImageStatements(const Archive &a) {
    return {
        QStringLiteral("CREATE TABLE last_images (tester BIGINT PRIMARY KEY REFERENCES testers "
                       "(id), attempt BIGINT NOT NULL REFERENCES attempts (id), records %1 NOT "
                       "NULL)")
            .arg(a.bytesType()),
    };
}

bool run(Archive &archive, const QStringList &statements, QString &error) {
    for (const QString &statement : statements) {
        if (!archive.exec(statement)) {
            error = archive.lastError();
            return false;
        }
    }
    return true;
}

struct OldTester {
    qint64 id = 0;
    QString name;
    QString address;
    int port = 0;
    qint64 lastAttempt = -1;
};

// Layout 1 kept one tester per group name; testers at the same address and
// port are one tester renamed, called by the name it was last collected as.
bool mergeTesters(Archive &archive, QString &error) {
    QSqlQuery read(archive.database());
    if (!read.exec(QStringLiteral("SELECT t.id, t.name, t.address, t.port, (SELECT MAX(a.id) "
                                  "FROM attempts_v1 a WHERE a.tester = t.id) FROM testers_v1 t "
                                  "ORDER BY t.id"))) {
        archive.setLastError(read.lastError());
        error = archive.lastError();
        return false;
    }
    QList<QString> keys;
    QHash<QString, QList<OldTester>> byKey;
    while (read.next()) {
        OldTester tester{read.value(0).toLongLong(), read.value(1).toString(),
                         read.value(2).toString(), read.value(3).toInt(),
                         read.value(4).isNull() ? -1 : read.value(4).toLongLong()};
        const QString key = QStringLiteral("%1:%2").arg(tester.address).arg(tester.port);
        if (!byKey.contains(key))
            keys.append(key);
        byKey[key].append(tester);
    }
    read.finish();
    QSqlQuery tester(archive.database());
    tester.prepare(QStringLiteral(
        "INSERT INTO testers (id, tester_key, name, address, port) VALUES (?, ?, ?, ?, ?)"));
    QSqlQuery merge(archive.database());
    merge.prepare(QStringLiteral("INSERT INTO tester_merge (old_id, new_id) VALUES (?, ?)"));
    for (const QString &key : keys) {
        const QList<OldTester> &group = byKey[key];
        const OldTester *latest = &group.first();
        for (const OldTester &t : group)
            if (t.lastAttempt > latest->lastAttempt)
                latest = &t;
        const qint64 id = group.first().id; // the lowest: rows come by id
        for (const QVariant &value : {QVariant(id), QVariant(key), QVariant(latest->name),
                                      QVariant(latest->address), QVariant(latest->port)})
            tester.addBindValue(value);
        bool ok = tester.exec();
        for (const OldTester &t : group) {
            merge.addBindValue(t.id);
            merge.addBindValue(id);
            ok = ok && merge.exec();
        }
        if (!ok) {
            archive.setLastError(tester.lastError().isValid() ? tester.lastError()
                                                              : merge.lastError());
            error = archive.lastError();
            return false;
        }
    }
    return true;
}

QString typedFromCells(const QString &prefix) {
    const QString p = prefix;
    return QStringLiteral("CAST(%1user_id AS INTEGER), (%1visitor = 'Y'), (%1passed = 'Y'), "
                          "(%1relay = 'Y'), (%1recognition = 'Keyboard'), "
                          "CAST(NULLIF(%1wrist_strap, '') AS INTEGER), "
                          "CAST(NULLIF(%1shoe_l, '') AS INTEGER), "
                          "CAST(NULLIF(%1shoe_r, '') AS INTEGER), "
                          "CAST(NULLIF(%1shoe_lr, '') AS INTEGER)")
        .arg(p);
}

constexpr int kUpgradeSteps = 20;
constexpr qint64 kMostRowsInRange = 200000;

struct DateCount {
    QString date;
    qint64 rows = 0;
};

// Every record date of the first layout's table with its number of rows, in
// the database's own order, which the ranges below compare in too.
bool readDates(Archive &archive, std::vector<DateCount> &dates, QString &error) {
    QSqlQuery query(archive.database());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT record_date, COUNT(*) FROM records_v1 GROUP BY "
                                   "record_date ORDER BY record_date"))) {
        error = archive.failure(query);
        return false;
    }
    while (query.next())
        dates.push_back({query.value(0).toString(), query.value(1).toLongLong()});
    return true;
}

// The dates that are days of the calendar, for the typed times to join on:
// a cell may hold month 13 as the tester stored it.
bool keepValidDates(Archive &archive, const std::vector<DateCount> &dates, QString &error) {
    if (!archive.exec(QStringLiteral("CREATE TABLE valid_dates (record_date TEXT PRIMARY KEY)"))) {
        error = archive.lastError();
        return false;
    }
    QSqlQuery insert(archive.database());
    insert.prepare(QStringLiteral("INSERT INTO valid_dates (record_date) VALUES (?)"));
    for (const DateCount &date : dates) {
        if (!QDate::fromString(date.date, QLatin1String(kDateFormat)).isValid())
            continue;
        insert.addBindValue(date.date);
        if (!insert.exec()) {
            error = archive.failure(insert);
            return false;
        }
    }
    return true;
}

// The local time and day of a copied record, NULL unless its cells form a
// valid local time. The cells are zero-padded fields, so the time's fields
// can be checked as texts.
QString typedTimes(const Archive &archive, const QString &prefix) {
    const QString valid =
        QStringLiteral("d.record_date IS NOT NULL AND length(%1record_time) = 8 AND "
                       "substr(%1record_time, 1, 2) <= '23' AND substr(%1record_time, 4, 2) <= "
                       "'59' AND substr(%1record_time, 7, 2) <= '59'")
            .arg(prefix);
    return QStringLiteral("CASE WHEN %1 THEN %2 END, CASE WHEN %1 THEN %3 END")
        .arg(valid,
             archive.asTimestamp(
                 QStringLiteral("%1record_date || ' ' || %1record_time").arg(prefix)),
             archive.asDate(QStringLiteral("%1record_date").arg(prefix)));
}

QString prefixedCells(const QString &prefix) {
    QString cells = prefix + QString::fromLatin1(kCellColumns);
    cells.replace(QLatin1String(", "), QLatin1String(", ") + prefix);
    return cells;
}

// SQLite: a range's rows read in the first layout's key order, tester by
// tester, with what the typed columns hold; numbered and copied by
// copyFirstLayoutRange().
QString firstLayoutRangeSelect(const Archive &archive) {
    const QString r = QStringLiteral("r.");
    return QStringLiteral("SELECT m.new_id, r.tester, r.raw, r.occurrence, r.attempt, r.seq, %1, "
                          "%2, %3 FROM tester_merge m CROSS JOIN records_v1 r LEFT JOIN "
                          "valid_dates d ON d.record_date = r.record_date WHERE r.tester = "
                          "m.old_id AND r.record_date >= ? AND r.record_date <= ?")
        .arg(prefixedCells(r), typedFromCells(r), typedTimes(archive, r));
}

// Copies of one access hold the same bytes and so the same date: the
// records are copied in ranges of whole dates, each in one pass, with the
// progress told after each.
bool copyRecords(Archive &archive, const std::vector<DateCount> &dates,
                 const UpgradeProgress &progress, qint64 &copied, QString &error) {
    const QString cells = QString::fromLatin1(kCellColumns);
    const QString prefixed = prefixedCells(QStringLiteral("r."));
    const QString outer = prefixedCells(QStringLiteral("w."));
    // Within one display of an access its copies were numbered by the old
    // key; renumbered by its bytes, a copy of another display is the same
    // access again, and only the first archived of each stays.
    QSqlQuery copy(archive.database());
    copy.prepare(
        QStringLiteral(
            "INSERT INTO records (tester, raw, occurrence, attempt, seq, %1, user_number, "
            "is_visitor, is_pass, relay_on, by_keyboard, ws_kohm, l_kohm, r_kohm, lr_kohm, "
            "local_time, local_date) SELECT w.tester, w.raw, w.occurrence, w.attempt, w.seq, %2, "
            "%3, %5 FROM (SELECT v.*, ROW_NUMBER() OVER (PARTITION BY v.tester, v.raw, "
            "v.occurrence ORDER BY v.attempt, v.seq) AS copy FROM (SELECT m.new_id AS tester, "
            "r.raw, r.attempt, r.seq, %4, ROW_NUMBER() OVER (PARTITION BY r.tester, r.raw, %4 "
            "ORDER BY r.occurrence) - 1 AS occurrence FROM tester_merge m CROSS JOIN records_v1 r "
            "WHERE r.tester = m.old_id AND r.record_date >= ? AND r.record_date <= ?) v) w LEFT "
            "JOIN "
            "valid_dates d ON d.record_date = w.record_date WHERE w.copy = 1")
            .arg(cells, outer, typedFromCells(QStringLiteral("w.")), prefixed,
                 typedTimes(archive, QStringLiteral("w."))));
    sqlite3 *db = archive.sqliteHandle();
    const QString rangeSelect = db ? firstLayoutRangeSelect(archive) : QString();
    qint64 total = 0;
    for (const DateCount &date : dates)
        total += date.rows;
    // A range is held in memory whole while it is numbered: no more than
    // kMostRowsInRange rows, unless one day alone holds more.
    const qint64 step = std::clamp<qint64>(total / kUpgradeSteps, 1, kMostRowsInRange);
    qint64 done = 0;
    int told = 0;
    size_t first = 0;
    qint64 inRange = 0;
    for (size_t i = 0; i < dates.size(); ++i) {
        inRange += dates[i].rows;
        if (inRange < step && i + 1 < dates.size())
            continue;
        if (db) {
            const qint64 range = copyFirstLayoutRange(archive, db, rangeSelect, dates[first].date,
                                                      dates[i].date, error);
            if (range < 0)
                return false;
            copied += range;
        } else {
            copy.addBindValue(dates[first].date);
            copy.addBindValue(dates[i].date);
            if (!copy.exec()) {
                error = archive.failure(copy);
                return false;
            }
            copied += copy.numRowsAffected();
        }
        done += inRange;
        inRange = 0;
        first = i + 1;
        const int percent = int(done * 100 / std::max<qint64>(1, total));
        if (progress && (percent >= told + 100 / kUpgradeSteps || (done == total && told < 100))) {
            progress(percent);
            told = percent;
        }
    }
    return true;
}

QString upgradeFrom1(Archive &archive, const UpgradeProgress &progress) {
    QString error;
    QStringList statements = {
        QStringLiteral("DROP INDEX attempts_by_tester"),
        QStringLiteral("ALTER TABLE records RENAME TO records_v1"),
        QStringLiteral("ALTER TABLE attempts RENAME TO attempts_v1"),
        QStringLiteral("ALTER TABLE testers RENAME TO testers_v1"),
        QStringLiteral("CREATE TABLE tester_merge (old_id BIGINT PRIMARY KEY, new_id BIGINT NOT "
                       "NULL)"),
    };
    statements += tableStatements(archive);
    // The copy sorts each range of days and fills the new key's tree, which
    // the default page cache of 2 MB would read from disk over and over.
    if (archive.isSqlite())
        statements.append(QStringLiteral("PRAGMA cache_size = -65536"));
    if (!run(archive, statements, error) || !mergeTesters(archive, error))
        return error;
    std::vector<DateCount> dates;
    if (!readDates(archive, dates, error) || !keepValidDates(archive, dates, error))
        return error;
    const QStringList before = {
        QStringLiteral("INSERT INTO attempts (id, tester, started, ended, result, received, added, "
                       "image_digest, image_records) SELECT a.id, m.new_id, a.started, a.ended, "
                       "a.result, a.received, 0, a.image_digest, a.received FROM attempts_v1 a "
                       "JOIN tester_merge m ON m.old_id = a.tester"),
    };
    // What each attempt added is now what it brought first, counted through
    // the index of records by attempt that the log's layout adds anyway.
    const QStringList after = {
        QStringLiteral("CREATE INDEX records_by_attempt ON records (attempt, seq)"),
        QStringLiteral("UPDATE attempts SET added = c.n FROM (SELECT attempt, COUNT(*) AS n FROM "
                       "records GROUP BY attempt) AS c WHERE c.attempt = attempts.id"),
    };
    // Each range of days is read tester by tester through the first layout's
    // key, which starts with the tester and the date.
    qint64 rowsAfter = 0;
    if (!run(archive, before, error) || !copyRecords(archive, dates, progress, rowsAfter, error) ||
        !run(archive, after, error))
        return error;
    qint64 rowsBefore = 0;
    for (const DateCount &date : dates)
        rowsBefore += date.rows;
    QStringList finish = {
        QStringLiteral("DROP TABLE records_v1"),
        QStringLiteral("DROP TABLE attempts_v1"),
        QStringLiteral("DROP TABLE testers_v1"),
        QStringLiteral("DROP TABLE tester_merge"),
        QStringLiteral("DROP TABLE valid_dates"),
        QStringLiteral("INSERT INTO archive_info (name, value) VALUES ('upgraded-from-layout-1', "
                       "'%1: %2 copies of %3 accesses merged')")
            .arg(QDateTime::currentDateTimeUtc().toString(Qt::ISODate))
            .arg(rowsBefore - rowsAfter)
            .arg(rowsAfter),
    };
    if (!archive.isSqlite())
        for (const char *table : {"testers", "attempts"})
            finish.append(QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', 'id'), "
                                         "(SELECT COALESCE(MAX(id), 0) + 1 FROM %1), false)")
                              .arg(QLatin1String(table)));
    if (!run(archive, finish, error))
        return error;
    return {};
}

} // namespace

QString createArchiveTables(Archive &archive) {
    QStringList statements = {
        QStringLiteral("CREATE TABLE archive_info (name TEXT PRIMARY KEY, value TEXT NOT NULL)"),
    };
    statements += tableStatements(archive);
    statements += configurationStatements(archive);
    statements += lastImageStatements(archive);
    statements += rosterStatements(archive);
    statements += calibrationStatements(archive);
    statements += logStatements(archive);
    statements.append(
        QStringLiteral("INSERT INTO archive_info (name, value) VALUES ('schema-version', '%1')")
            .arg(kSchemaVersion));
    QString error;
    run(archive, statements, error);
    return error;
}

QString upgradeArchive(Archive &archive, int fromVersion, const UpgradeProgress &progress) {
    QString error;
    if (fromVersion == 1)
        error = upgradeFrom1(archive, progress);
    else if (fromVersion < 1 || fromVersion >= kSchemaVersion)
        error = QStringLiteral("no way up from layout %1").arg(fromVersion);
    if (error.isEmpty() && fromVersion < 3)
        run(archive, configurationStatements(archive), error);
    if (error.isEmpty() && fromVersion < 4)
        run(archive, lastImageStatements(archive), error);
    // Layout 5: the plant's roster and its history.
    if (error.isEmpty() && fromVersion < 5)
        run(archive, rosterStatements(archive), error);
    // Layout 6: the testers' calibrations.
    if (error.isEmpty() && fromVersion < 6)
        run(archive, calibrationStatements(archive), error);
    // Layout 7: the log, built from the rows as they are now.
    if (error.isEmpty() && fromVersion < 7 && run(archive, logStatements(archive), error))
        error = buildLogFromRows(archive);
    if (error.isEmpty())
        run(archive,
            {QStringLiteral("UPDATE archive_info SET value = '%1' WHERE name = 'schema-version'")
                 .arg(kSchemaVersion)},
            error);
    return error;
}

} // namespace nxa::collect
