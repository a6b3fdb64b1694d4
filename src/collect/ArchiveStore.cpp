#include "collect/ArchiveStore.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace nxa::collect {

namespace {

// Rows per INSERT: one statement per row would spend more time in the driver
// than in the database; both engines take this many parameters easily.
constexpr int kRowsPerStatement = 200;
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
                                 "received, added) VALUES (?, ?, ?, ?, ?, ?) RETURNING id"));
    query.addBindValue(tester);
    query.addBindValue(attempt.startedMs);
    query.addBindValue(attempt.endedMs);
    query.addBindValue(attempt.result);
    query.addBindValue(attempt.received);
    query.addBindValue(attempt.added);
    if (!query.exec() || !query.next()) {
        error = failure(archive, query);
        return std::nullopt;
    }
    return query.value(0).toLongLong();
}

// Inserts the records; the number the archive did not hold yet, or nothing.
std::optional<int> insertRecords(Archive &archive, qint64 tester, qint64 attempt,
                                 const std::vector<ArchivedRecord> &records, QString &error) {
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
            for (int column : kCellColumns) {
                // An empty cell is an empty text, never NULL.
                const QString &cell = record.row[column];
                query.bindValue(index++, cell.isNull() ? QStringLiteral("") : cell);
            }
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

} // namespace nxa::collect
