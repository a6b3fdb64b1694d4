#include "collect/ArchiveStore.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <sqlite3.h>

namespace nxa::collect {

namespace {

// Rows per INSERT: one statement per row would spend more time in the driver
// than in the database; both engines take this many parameters easily.
constexpr int kRowsPerStatement = 25;
constexpr int kBoundPerRow = 16;

using records::Column;

// The cells in the order of the records table's columns after tester.
constexpr std::array<int, 13> kCellColumns = {
    records::kColumnDate,        records::kColumnTime,    records::kColumnPn,
    records::kColumnId,          records::kColumnVisitor, records::kColumnName,
    records::kColumnWristStrap,  records::kColumnLeft,    records::kColumnRight,
    records::kColumnLeftRight,   records::kColumnPass,    records::kColumnRelay,
    records::kColumnRecognition,
};

QString insertStatement(qint64 tester, qint64 attempt, int rows) {
    QString sql = QStringLiteral(
        "INSERT INTO records (tester, record_date, record_time, pn, user_id, visitor, "
        "user_name, wrist_strap, shoe_l, shoe_r, shoe_lr, passed, relay, recognition, "
        "occurrence, attempt, seq, raw) VALUES ");
    // The two ids are numbers this program made, so they go in as text and
    // leave the parameters to the cells.
    const QString row =
        QStringLiteral("(%1,?,?,?,?,?,?,?,?,?,?,?,?,?,?,%2,?,?)").arg(tester).arg(attempt);
    for (int r = 0; r < rows; ++r) {
        if (r > 0)
            sql += QLatin1Char(',');
        sql += row;
    }
    // The primary key is the duplicate rule: a record already archived, by
    // this run or by another collector at the same time, is passed over.
    sql += QStringLiteral(" ON CONFLICT DO NOTHING");
    return sql;
}

QString failure(Archive &archive, const QSqlQuery &query) {
    archive.setLastError(query.lastError());
    return archive.lastError();
}

std::optional<qint64> testerId(Archive &archive, const TesterEntry &tester, QString &error) {
    QSqlQuery query(archive.database());
    query.prepare(QStringLiteral(
        "INSERT INTO testers (name, address, port) VALUES (?, ?, ?) ON CONFLICT (name) DO "
        "UPDATE SET address = excluded.address, port = excluded.port RETURNING id"));
    query.addBindValue(tester.name);
    query.addBindValue(tester.addressText);
    query.addBindValue(int(tester.port));
    if (!query.exec() || !query.next()) {
        error = failure(archive, query);
        return std::nullopt;
    }
    return query.value(0).toLongLong();
}

std::optional<qint64> insertAttempt(Archive &archive, qint64 tester, const Attempt &attempt,
                                    QString &error) {
    QSqlQuery query(archive.database());
    query.prepare(QStringLiteral("INSERT INTO attempts (tester, started, ended, result, "
                                 "received, added, image_digest) VALUES (?, ?, ?, ?, ?, ?, ?) "
                                 "RETURNING id"));
    query.addBindValue(tester);
    query.addBindValue(attempt.startedMs);
    query.addBindValue(attempt.endedMs);
    query.addBindValue(attempt.result);
    query.addBindValue(attempt.received);
    query.addBindValue(attempt.added);
    query.addBindValue(attempt.digest.isEmpty() ? QVariant(QMetaType::fromType<QByteArray>())
                                                : QVariant(attempt.digest));
    if (!query.exec() || !query.next()) {
        error = failure(archive, query);
        return std::nullopt;
    }
    return query.value(0).toLongLong();
}

// An empty cell is an empty text, never NULL.
QString cellText(const ArchivedRecord &record, int column) {
    const QString &cell = record.row[column];
    return cell.isNull() ? QStringLiteral("") : cell;
}

// The portable path: several rows per statement through the Qt SQL layer.
std::optional<int> insertRecordsPortable(Archive &archive, qint64 tester, qint64 attempt,
                                         const std::vector<ArchivedRecord> &records,
                                         QString &error) {
    int added = 0;
    QSqlQuery full(archive.database());
    bool fullPrepared = false;
    for (size_t first = 0; first < records.size(); first += kRowsPerStatement) {
        const int rows =
            static_cast<int>(std::min<size_t>(kRowsPerStatement, records.size() - first));
        QSqlQuery tail(archive.database());
        QSqlQuery &query = rows == kRowsPerStatement ? full : tail;
        if (&query == &tail || !fullPrepared) {
            if (!query.prepare(insertStatement(tester, attempt, rows))) {
                error = failure(archive, query);
                return std::nullopt;
            }
            fullPrepared = fullPrepared || &query == &full;
        }
        int index = 0;
        for (size_t i = first; i < first + static_cast<size_t>(rows); ++i) {
            const ArchivedRecord &record = records[i];
            for (int column : kCellColumns)
                query.bindValue(index++, cellText(record, column));
            query.bindValue(index++, record.occurrence);
            query.bindValue(index++, record.seq);
            query.bindValue(index++, record.raw);
        }
        Q_ASSERT(index == rows * kBoundPerRow);
        if (!query.exec()) {
            error = failure(archive, query);
            return std::nullopt;
        }
        added += query.numRowsAffected();
    }
    return added;
}

// Appends the text as UTF-8; cells are nearly always ASCII, which needs no
// temporary buffer.
void appendUtf8(QByteArray &out, const QString &text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            out += text.toUtf8();
            return;
        }
    }
    for (const QChar c : text)
        out += static_cast<char>(c.unicode());
}

// SQLite: the same statement, one row at a time, bound through SQLite's own
// interface. The Qt layer spends more per bound value than SQLite spends per
// row, and a million rows must go in within seconds.
std::optional<int> insertRecordsSqlite(Archive &archive, sqlite3 *db, qint64 tester, qint64 attempt,
                                       const std::vector<ArchivedRecord> &records, QString &error) {
    const QByteArray sql = insertStatement(tester, attempt, 1).toUtf8();
    sqlite3_stmt *statement = nullptr;
    auto fail = [&]() -> std::optional<int> {
        archive.setLastError(QString::fromUtf8(sqlite3_errmsg(db)),
                             QString::number(sqlite3_extended_errcode(db)));
        error = archive.lastError();
        sqlite3_finalize(statement);
        return std::nullopt;
    };
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &statement, nullptr) != SQLITE_OK)
        return fail();
    int added = 0;
    // The cells of one row as UTF-8, back to back, so SQLite neither converts
    // nor copies them.
    QByteArray cells;
    std::array<std::pair<qsizetype, qsizetype>, kCellColumns.size()> spans{};
    for (const ArchivedRecord &record : records) {
        cells.resize(0); // keeps its buffer for the next row
        for (size_t c = 0; c < kCellColumns.size(); ++c) {
            const qsizetype start = cells.size();
            appendUtf8(cells, record.row[kCellColumns[c]]);
            spans[c] = {start, cells.size() - start};
        }
        int index = 1;
        for (const auto &[start, length] : spans)
            sqlite3_bind_text(statement, index++, cells.constData() + start, int(length),
                              SQLITE_STATIC);
        sqlite3_bind_int(statement, index++, record.occurrence);
        sqlite3_bind_int(statement, index++, record.seq);
        sqlite3_bind_blob(statement, index++, record.raw.constData(), int(record.raw.size()),
                          SQLITE_STATIC);
        if (sqlite3_step(statement) != SQLITE_DONE)
            return fail();
        added += sqlite3_changes(db);
        sqlite3_reset(statement);
    }
    sqlite3_finalize(statement);
    return added;
}

// Inserts the records; the number the archive did not hold yet, or nothing.
std::optional<int> insertRecords(Archive &archive, qint64 tester, qint64 attempt,
                                 const std::vector<ArchivedRecord> &records, QString &error) {
    if (sqlite3 *db = archive.sqliteHandle())
        return insertRecordsSqlite(archive, db, tester, attempt, records, error);
    return insertRecordsPortable(archive, tester, attempt, records, error);
}

bool updateAttempt(Archive &archive, qint64 attempt, const Attempt &values, QString &error) {
    QSqlQuery query(archive.database());
    query.prepare(QStringLiteral("UPDATE attempts SET ended = ?, added = ? WHERE id = ?"));
    query.addBindValue(values.endedMs);
    query.addBindValue(values.added);
    query.addBindValue(attempt);
    if (query.exec())
        return true;
    error = failure(archive, query);
    return false;
}

Stored fail(Archive &archive, const QString &error) {
    const bool transient = archive.lastErrorTransient();
    archive.rollback();
    return {false, 0, error, transient};
}

Stored lockFailed(Archive &archive) {
    return {false, 0, archive.lastError(), archive.lastErrorTransient()};
}

} // namespace

Stored storeDownload(Archive &archive, const TesterEntry &tester, Attempt attempt,
                     const std::vector<ArchivedRecord> &records) {
    if (!archive.beginWrite())
        return lockFailed(archive);
    QString error;
    const std::optional<qint64> testerKey = testerId(archive, tester, error);
    if (!testerKey)
        return fail(archive, error);
    const std::optional<qint64> attemptKey = insertAttempt(archive, *testerKey, attempt, error);
    if (!attemptKey)
        return fail(archive, error);
    const std::optional<int> added =
        insertRecords(archive, *testerKey, *attemptKey, records, error);
    if (!added)
        return fail(archive, error);
    attempt.added = *added;
    if (!updateAttempt(archive, *attemptKey, attempt, error))
        return fail(archive, error);
    if (!archive.commit())
        return lockFailed(archive);
    return {true, *added, {}};
}

Stored storeAttempt(Archive &archive, const TesterEntry &tester, const Attempt &attempt) {
    if (!archive.beginWrite())
        return lockFailed(archive);
    QString error;
    const std::optional<qint64> testerKey = testerId(archive, tester, error);
    if (!testerKey || !insertAttempt(archive, *testerKey, attempt, error))
        return fail(archive, error);
    if (!archive.commit())
        return lockFailed(archive);
    return {true, 0, {}};
}

std::optional<int> receivedOfStoredImage(Archive &archive, const TesterEntry &tester,
                                         const QByteArray &digest) {
    QSqlQuery query(archive.database());
    query.prepare(QStringLiteral(
        "SELECT a.received FROM attempts a JOIN testers t ON t.id = a.tester WHERE t.name = ? "
        "AND a.result = 0 AND a.image_digest = ?"));
    query.addBindValue(tester.name);
    query.addBindValue(digest);
    if (!query.exec() || !query.next())
        return std::nullopt;
    return query.value(0).toInt();
}

} // namespace nxa::collect
