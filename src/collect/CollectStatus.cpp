#include "collect/CollectStatus.h"

#include "collect/Archive.h"
#include "collect/CollectDownload.h"
#include "common/ResultCodes.h"

#include <QMap>
#include <QSqlError>
#include <QSqlQuery>

namespace nxa::collect {

namespace {

QString stamp(const QDateTime &time) {
    // The run stamp of the manager's log: two spaces between date and time.
    return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd  hh:mm:ss"));
}

// Runs a query whose rows start with a tester id; false when it fails.
bool forEachTester(Archive &archive, const QString &sql, const QVariantList &values,
                   const std::function<void(qint64, const QSqlQuery &)> &take, QString &error) {
    QSqlQuery query(archive.database());
    query.setForwardOnly(true);
    query.prepare(sql);
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec()) {
        error = sqlError(query.lastError());
        return false;
    }
    while (query.next())
        take(query.value(0).toLongLong(), query);
    return true;
}

} // namespace

StatusRead readStatus(const CollectConfig &config, const QDate &today) {
    StatusRead read;
    Archive::Opened opened = Archive::open(config.archive, config.lockWaitMs, false);
    if (!opened.archive) {
        read.error = opened.error;
        return read;
    }
    Archive &archive = *opened.archive;

    QMap<QString, TesterStatus> byName;
    for (const TesterEntry &tester : config.testers) {
        TesterStatus &s = byName[tester.name];
        s.name = tester.name;
        s.address = tester.addressText;
    }
    QMap<qint64, QString> names;
    auto status = [&](qint64 id) -> TesterStatus & { return byName[names.value(id)]; };
    const QString from = today.addDays(-kFailedAccessDays).toString(QStringLiteral("yyyy-MM-dd"));
    const QString to = today.toString(QStringLiteral("yyyy-MM-dd"));

    QString error;
    const bool ok =
        forEachTester(
            archive, QStringLiteral("SELECT id, name, address FROM testers"), {},
            [&](qint64 id, const QSqlQuery &q) {
                names[id] = q.value(1).toString();
                TesterStatus &s = byName[names[id]];
                s.name = names[id];
                if (s.address.isEmpty())
                    s.address = q.value(2).toString();
            },
            error) &&
        forEachTester(
            archive,
            QStringLiteral("SELECT a.tester, a.started, a.result FROM attempts a WHERE a.id IN "
                           "(SELECT MAX(id) FROM attempts GROUP BY tester)"),
            {},
            [&](qint64 id, const QSqlQuery &q) {
                status(id).lastAttempt = QDateTime::fromMSecsSinceEpoch(q.value(1).toLongLong());
                status(id).lastResult = q.value(2).toInt();
            },
            error) &&
        forEachTester(
            archive,
            QStringLiteral("SELECT a.tester, a.started, a.received FROM attempts a WHERE a.id IN "
                           "(SELECT MAX(id) FROM attempts WHERE result = 0 GROUP BY tester)"),
            {},
            [&](qint64 id, const QSqlQuery &q) {
                status(id).lastSuccess = QDateTime::fromMSecsSinceEpoch(q.value(1).toLongLong());
                status(id).lastSuccessReceived = q.value(2).toInt();
            },
            error) &&
        forEachTester(
            archive, QStringLiteral("SELECT tester, COUNT(*) FROM records GROUP BY tester"), {},
            [&](qint64 id, const QSqlQuery &q) { status(id).records = q.value(1).toLongLong(); },
            error) &&
        forEachTester(
            archive,
            QStringLiteral("SELECT tester, COUNT(*) FROM records WHERE passed = 'N' AND "
                           "record_date >= ? AND record_date <= ? GROUP BY tester"),
            {from, to},
            [&](qint64 id, const QSqlQuery &q) {
                status(id).recentFailedAccesses = q.value(1).toLongLong();
            },
            error);
    if (!ok) {
        read.error = QStringLiteral("cannot read the archive: %1").arg(error);
        return read;
    }
    read.testers = byName.values();
    return read;
}

QStringList statusLines(const TesterStatus &s) {
    QStringList lines;
    lines.append(QStringLiteral("%1  %2").arg(s.name, s.address));
    if (s.lastAttempt)
        lines.append(QStringLiteral("  last attempt  %1  %2  %3")
                         .arg(stamp(*s.lastAttempt))
                         .arg(s.lastResult)
                         .arg(resultText(s.lastResult)));
    else
        lines.append(QStringLiteral("  last attempt  never"));
    lines.append(s.lastSuccess ? QStringLiteral("  last success  %1").arg(stamp(*s.lastSuccess))
                               : QStringLiteral("  last success  never"));
    lines.append(QStringLiteral("  records  %1").arg(s.records));
    lines.append(QStringLiteral("  failed accesses in the last %1 days  %2")
                     .arg(kFailedAccessDays)
                     .arg(s.recentFailedAccesses));
    if (s.lastSuccess && s.lastSuccessReceived >= kNearlyFullRecords)
        lines.append(QStringLiteral("  warning: the last download received %1 records; the "
                                    "tester is nearly full and its oldest records are about to "
                                    "be lost: download it more often")
                         .arg(s.lastSuccessReceived));
    return lines;
}

} // namespace nxa::collect
