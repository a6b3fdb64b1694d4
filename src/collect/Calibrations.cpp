#include "collect/Calibrations.h"

#include "collect/ArchiveLog.h"

#include <QDate>
#include <QSqlQuery>

namespace nxa::collect {

namespace {

constexpr char kDateFormat[] = "yyyy-MM-dd";

} // namespace

QStringList calibrationStatements(const Archive &archive) {
    return {
        QStringLiteral("CREATE TABLE calibrations (id %1, tester_key TEXT NOT NULL, done_on %2 "
                       "NOT NULL, recorded BIGINT NOT NULL, by_whom TEXT NOT NULL, certificate "
                       "TEXT NOT NULL, failed %3 NOT NULL, note TEXT NOT NULL)")
            .arg(archive.idType(), archive.dateType(), archive.boolType()),
        QStringLiteral("CREATE INDEX calibrations_by_tester ON calibrations (tester_key, done_on)"),
    };
}

QString addCalibration(Archive &archive, const QString &testerKey, const analysis::Calibration &c) {
    if (!archive.beginWrite())
        return archive.lastError();
    QSqlQuery insert(archive.database());
    insert.prepare(QStringLiteral("INSERT INTO calibrations (tester_key, done_on, recorded, "
                                  "by_whom, certificate, failed, note) VALUES (?, %1, ?, ?, ?, ?, "
                                  "?) RETURNING id")
                       .arg(archive.asDate(QStringLiteral("?"))));
    // NOT NULL texts: an option not given is stored as an empty text.
    auto text = [](const QString &t) { return t.isNull() ? QStringLiteral("") : t; };
    for (const QVariant &value : QVariantList{
             testerKey, QDate::fromJulianDay(c.day).toString(QLatin1String(kDateFormat)),
             qint64(c.recordedMs), text(c.by), text(c.certificate), c.failed, text(c.note)})
        insert.addBindValue(value);
    if (!insert.exec() || !insert.next()) {
        const QString error = archive.failure(insert);
        archive.rollback();
        return error;
    }
    const qint64 id = insert.value(0).toLongLong();
    insert.finish(); // SQLite commits nothing while a statement is still open
    if (const QString logged = logRow(archive, LeafKind::Calibration, id); !logged.isEmpty()) {
        archive.rollback();
        return logged;
    }
    if (!archive.commit()) {
        const QString error = archive.lastError();
        archive.rollback();
        return error;
    }
    return {};
}

CalibrationsRead readCalibrations(Archive &archive) {
    CalibrationsRead read;
    QSqlQuery query(archive.database());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT tester_key, CAST(done_on AS TEXT), recorded, by_whom, "
                                   "certificate, failed, note FROM calibrations ORDER BY "
                                   "tester_key, done_on, recorded, id"))) {
        read.error = archive.failure(query);
        return read;
    }
    while (query.next()) {
        const QDate day =
            QDate::fromString(query.value(1).toString().left(10), QLatin1String(kDateFormat));
        if (!day.isValid())
            continue;
        analysis::Calibration c;
        c.day = static_cast<std::int32_t>(day.toJulianDay());
        c.recordedMs = query.value(2).toLongLong();
        c.by = query.value(3).toString();
        c.certificate = query.value(4).toString();
        c.failed = query.value(5).toBool();
        c.note = query.value(6).toString();
        read.byKey[query.value(0).toString()].push_back(std::move(c));
    }
    return read;
}

} // namespace nxa::collect
