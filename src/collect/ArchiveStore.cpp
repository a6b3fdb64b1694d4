#include "collect/ArchiveStore.h"

#include "collect/ArchiveLog.h"
#include "collect/ArchiveRows.h"
#include "collect/ImageOverlap.h"
#include "collect/PostgresCopy.h"
#include "records/DataloggerImage.h"

#include <QScopeGuard>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <sqlite3.h>

namespace nxa::collect {

namespace {

constexpr int kBoundPerRow = 27;

QString insertStatement(qint64 tester, qint64 attempt, int rows) {
    QString sql = QStringLiteral(
        "INSERT INTO records (tester, attempt, raw, occurrence, seq, pn, user_id, visitor, "
        "user_name, wrist_strap, shoe_l, shoe_r, shoe_lr, passed, relay, recognition, "
        "record_date, record_time, local_time, local_date, user_number, is_visitor, is_pass, "
        "relay_on, by_keyboard, ws_kohm, l_kohm, r_kohm, lr_kohm) VALUES ");
    // The two ids are numbers this program made, so they go in as text and
    // leave the parameters to the record.
    QString row = QStringLiteral("(%1,%2").arg(tester).arg(attempt);
    for (int i = 0; i < kBoundPerRow; ++i)
        row += QStringLiteral(",?");
    row += QLatin1Char(')');
    for (int r = 0; r < rows; ++r) {
        if (r > 0)
            sql += QLatin1Char(',');
        sql += row;
    }
    // The primary key is the identity of an access: one archived already, by
    // this run or an earlier one, keeps the cells it was first archived with.
    sql += QStringLiteral(" ON CONFLICT DO NOTHING");
    return sql;
}

std::optional<qint64> idOfKey(Archive &archive, const QString &key, QString &error) {
    QSqlQuery query(archive.database());
    query.prepare(QStringLiteral("SELECT id FROM testers WHERE tester_key = ?"));
    query.addBindValue(key);
    if (!query.exec()) {
        error = archive.failure(query);
        return std::nullopt;
    }
    return query.next() ? query.value(0).toLongLong() : -1;
}

// The tester's row, found by its key and given the name, address and port it
// has now. A tester that has just been given an id= takes over the row of
// its address and port.
std::optional<qint64> testerId(Archive &archive, const TesterEntry &tester, QString &error) {
    std::optional<qint64> id = idOfKey(archive, tester.key, error);
    if (id && *id < 0 && !tester.explicitId.isEmpty())
        id = idOfKey(archive, QStringLiteral("%1:%2").arg(tester.addressText).arg(tester.port),
                     error);
    if (!id)
        return std::nullopt;
    QSqlQuery query(archive.database());
    if (*id >= 0) {
        query.prepare(QStringLiteral(
            "UPDATE testers SET tester_key = ?, name = ?, address = ?, port = ? WHERE id = ?"));
        for (const QVariant &value :
             {QVariant(tester.key), QVariant(tester.name), QVariant(tester.addressText),
              QVariant(int(tester.port)), QVariant(*id)})
            query.addBindValue(value);
        if (!query.exec()) {
            error = archive.failure(query);
            return std::nullopt;
        }
        return id;
    }
    query.prepare(
        QStringLiteral("INSERT INTO testers (tester_key, name, address, port) VALUES (?, ?, ?, ?) "
                       "RETURNING id"));
    query.addBindValue(tester.key);
    query.addBindValue(tester.name);
    query.addBindValue(tester.addressText);
    query.addBindValue(int(tester.port));
    if (!query.exec() || !query.next()) {
        error = archive.failure(query);
        return std::nullopt;
    }
    return query.value(0).toLongLong();
}

std::optional<qint64> insertAttempt(Archive &archive, qint64 tester, const Attempt &attempt,
                                    QString &error) {
    QSqlQuery query(archive.database());
    query.prepare(QStringLiteral("INSERT INTO attempts (tester, started, ended, result, "
                                 "received, added, image_digest, image_records, detail, "
                                 "config_result, config_detail) VALUES (?, ?, ?, ?, ?, ?, ?, ?, "
                                 "?, ?, ?) RETURNING id"));
    query.addBindValue(tester);
    query.addBindValue(attempt.startedMs);
    query.addBindValue(attempt.endedMs);
    query.addBindValue(attempt.result);
    query.addBindValue(attempt.received);
    query.addBindValue(attempt.added);
    query.addBindValue(attempt.digest.isEmpty() ? QVariant(QMetaType::fromType<QByteArray>())
                                                : QVariant(attempt.digest));
    query.addBindValue(attempt.imageRecords);
    query.addBindValue(nullIfEmpty(attempt.detail));
    query.addBindValue(attempt.configuration ? QVariant(attempt.configuration->result)
                                             : QVariant(QMetaType::fromType<int>()));
    query.addBindValue(
        nullIfEmpty(attempt.configuration ? attempt.configuration->detail : QString()));
    if (!query.exec() || !query.next()) {
        error = archive.failure(query);
        return std::nullopt;
    }
    const qint64 id = query.value(0).toLongLong();
    query.finish();
    if (attempt.configuration) {
        error = storeConfiguration(archive, tester, id, *attempt.configuration);
        if (!error.isEmpty())
            return std::nullopt;
    }
    return id;
}

void bindNumberOrNull(sqlite3_stmt *statement, int index, const std::optional<int> &value) {
    if (value)
        sqlite3_bind_int(statement, index, *value);
    else
        sqlite3_bind_null(statement, index);
}

void bindText(sqlite3_stmt *statement, int index, QByteArrayView utf8) {
    // A non-null pointer even for an empty cell: an empty text, not NULL.
    sqlite3_bind_text(statement, index, utf8.isEmpty() ? "" : utf8.data(), int(utf8.size()),
                      SQLITE_STATIC);
}

// SQLite: the same statement, one row at a time, bound through SQLite's own
// interface. The Qt layer spends more per bound value than SQLite spends per
// row, and a million rows must go in within seconds. The values are UTF-8
// already, so SQLite neither converts nor copies them.
std::optional<int> insertRecordsSqlite(Archive &archive, sqlite3 *db, qint64 tester, qint64 attempt,
                                       const DecodedImage &image, int first, QString &error) {
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
    RecordValuesReader reader(image);
    for (int i = first; i < image.size(); ++i) {
        const RecordValues &v = reader.read(i);
        int index = 1;
        sqlite3_bind_blob(statement, index++, v.raw.data(), int(v.raw.size()), SQLITE_STATIC);
        sqlite3_bind_int(statement, index++, v.occurrence);
        sqlite3_bind_int(statement, index++, v.seq);
        for (const QByteArrayView cell : v.cells)
            bindText(statement, index++, cell);
        for (const QByteArrayView time : {v.localTime, v.localDate})
            if (time.isEmpty())
                sqlite3_bind_null(statement, index++);
            else
                bindText(statement, index++, time);
        sqlite3_bind_int(statement, index++, v.user);
        for (bool flag : {v.visitor, v.pass, v.relay, v.keyboard})
            sqlite3_bind_int(statement, index++, flag ? 1 : 0);
        for (const std::optional<int> &value : {v.wristStrap, v.left, v.right, v.leftRight})
            bindNumberOrNull(statement, index++, value);
        Q_ASSERT(index == kBoundPerRow + 1);
        if (sqlite3_step(statement) != SQLITE_DONE)
            return fail();
        added += sqlite3_changes(db);
        sqlite3_reset(statement);
    }
    sqlite3_finalize(statement);
    return added;
}

// Inserts the records; the number the archive did not hold yet, or nothing.
// Records before `first` are left out.
std::optional<int> insertRecords(Archive &archive, qint64 tester, qint64 attempt,
                                 const DecodedImage &image, int first, QString &error) {
    if (sqlite3 *db = archive.sqliteHandle())
        return insertRecordsSqlite(archive, db, tester, attempt, image, first, error);
    return copyRecordsPostgres(archive, tester, attempt, image, first, error);
}

bool updateAttempt(Archive &archive, qint64 attempt, const Attempt &values,
                   const std::optional<Gap> &gap, QString &error) {
    QSqlQuery query(archive.database());
    query.prepare(QStringLiteral("UPDATE attempts SET ended = ?, added = ?, gap = ?, gap_from = "
                                 "%1, gap_to = %2 WHERE id = ?")
                      .arg(archive.asTimestamp(QStringLiteral("?")),
                           archive.asTimestamp(QStringLiteral("?"))));
    query.addBindValue(values.endedMs);
    query.addBindValue(values.added);
    query.addBindValue(gap.has_value());
    query.addBindValue(gap ? nullIfEmpty(gap->after) : nullIfEmpty({}));
    query.addBindValue(gap ? nullIfEmpty(gap->before) : nullIfEmpty({}));
    query.addBindValue(attempt);
    if (query.exec())
        return true;
    error = archive.failure(query);
    return false;
}

Stored fail(Archive &archive, const QString &error) {
    const bool transient = archive.lastErrorTransient();
    archive.rollback();
    return {false, 0, error, transient, std::nullopt};
}

Stored lockFailed(Archive &archive) {
    return {false, 0, archive.lastError(), archive.lastErrorTransient(), std::nullopt};
}

QString oldestTime(const DecodedImage &image) {
    QByteArray oldest;
    RecordValuesReader reader(image);
    for (int i = 0; i < image.size(); ++i) {
        const QByteArrayView time = reader.read(i).localTime;
        if (!time.isEmpty() && (oldest.isEmpty() || time < oldest))
            oldest = time.toByteArray();
    }
    return QString::fromLatin1(oldest);
}

// The records of the tester's last stored image, and the new image's records
// in their place, for the next download to skip what both share.
std::optional<QByteArray> lastImageRecords(Archive &archive, qint64 tester, QString &error) {
    const std::optional<QVariant> stored =
        singleValue(archive, QStringLiteral("SELECT records FROM last_images WHERE tester = ?"),
                    {tester}, error);
    return stored ? std::optional(stored->toByteArray()) : std::nullopt;
}

bool keepLastImage(Archive &archive, qint64 tester, qint64 attempt, const QByteArray &records,
                   QString &error) {
    QSqlQuery query(archive.database());
    query.prepare(QStringLiteral(
        "INSERT INTO last_images (tester, attempt, records) VALUES (?, ?, ?) ON CONFLICT "
        "(tester) DO UPDATE SET attempt = excluded.attempt, records = excluded.records"));
    query.addBindValue(tester);
    query.addBindValue(attempt);
    query.addBindValue(records);
    if (query.exec())
        return true;
    error = archive.failure(query);
    return false;
}

} // namespace

Stored storeDownload(Archive &archive, const TesterEntry &tester, Attempt attempt,
                     const DecodedImage &image) {
    if (!archive.beginWrite())
        return lockFailed(archive);
    QString error;
    const std::optional<qint64> testerKey = testerId(archive, tester, error);
    if (!testerKey)
        return fail(archive, error);
    const std::optional<qint64> attemptKey = insertAttempt(archive, *testerKey, attempt, error);
    if (!attemptKey)
        return fail(archive, error);
    // The records this image shares with the tester's last stored one are all
    // in the archive: that image was stored whole, and an occurrence number
    // among the shared records is never above the one it had there. Only
    // those that follow are looked up and inserted.
    const QByteArray raw = image.rawRecords();
    const std::optional<QByteArray> last = lastImageRecords(archive, *testerKey, error);
    if (!last)
        return fail(archive, error);
    const std::optional<int> added =
        insertRecords(archive, *testerKey, *attemptKey, image, repeatedRecords(*last, raw), error);
    if (!added || !keepLastImage(archive, *testerKey, *attemptKey, raw, error))
        return fail(archive, error);
    attempt.added = *added;
    std::optional<Gap> gap;
    // A full tester overwrites its oldest record with each new one: when
    // none of the records it still holds had been archived, some that were
    // written in between never will be. Asked only then, since the archive
    // of a tester grows for years.
    if (attempt.imageRecords >= records::kMaxAccessRecords && attempt.received > 0 &&
        attempt.received == attempt.added) {
        const std::optional<QVariant> earlier = singleValue(
            archive,
            QStringLiteral(
                "SELECT COUNT(*) FROM attempts WHERE tester = ? AND result = 0 AND id <> ?"),
            {*testerKey, *attemptKey}, error);
        const std::optional<QVariant> newest =
            earlier
                ? singleValue(archive,
                              QStringLiteral("SELECT CAST(MAX(local_time) AS TEXT) FROM records "
                                             "WHERE tester = ? AND attempt <> ?"),
                              {*testerKey, *attemptKey}, error)
                : std::nullopt;
        if (!newest)
            return fail(archive, error);
        if (earlier->toLongLong() > 0)
            gap = Gap{newest->toString(), oldestTime(image)};
    }
    if (!updateAttempt(archive, *attemptKey, attempt, gap, error))
        return fail(archive, error);
    error = logAttempt(archive, *testerKey, tester.key, *attemptKey);
    if (!error.isEmpty())
        return fail(archive, error);
    if (!archive.commit())
        return lockFailed(archive);
    return {true, *added, {}, false, gap};
}

Stored storeAttempt(Archive &archive, const TesterEntry &tester, const Attempt &attempt) {
    if (!archive.beginWrite())
        return lockFailed(archive);
    QString error;
    const std::optional<qint64> testerKey = testerId(archive, tester, error);
    const std::optional<qint64> attemptKey =
        testerKey ? insertAttempt(archive, *testerKey, attempt, error) : std::nullopt;
    if (!attemptKey)
        return fail(archive, error);
    error = logAttempt(archive, *testerKey, tester.key, *attemptKey);
    if (!error.isEmpty())
        return fail(archive, error);
    if (!archive.commit())
        return lockFailed(archive);
    return {true, 0, {}, false, std::nullopt};
}

std::optional<KnownImage> storedImage(Archive &archive, const TesterEntry &tester,
                                      const QByteArray &digest) {
    if (!archive.beginRead())
        return std::nullopt;
    const auto done = qScopeGuard([&archive] { archive.endRead(); });
    QSqlQuery query(archive.database());
    query.prepare(QStringLiteral(
        "SELECT a.received, a.image_records FROM attempts a JOIN testers t ON t.id = a.tester "
        "WHERE t.tester_key = ? AND a.result = 0 AND a.image_digest = ?"));
    query.addBindValue(tester.key);
    query.addBindValue(digest);
    if (!query.exec() || !query.next())
        return std::nullopt;
    return KnownImage{query.value(0).toInt(), query.value(1).toInt()};
}

} // namespace nxa::collect
