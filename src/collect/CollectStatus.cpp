#include "collect/CollectStatus.h"

#include "collect/Archive.h"
#include "collect/Calibrations.h"
#include "collect/CollectDownload.h"
#include "collect/ReadOnlyArchive.h"
#include "collect/StatusCalibration.h"
#include "common/ResultCodes.h"
#include "common/VisibleText.h"
#include "records/DataloggerImage.h"

#include <QFileInfo>
#include <QMap>
#include <QSqlError>
#include <QSqlQuery>

#include <functional>

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

// SQLite gives its log and shared-memory files the mode of the archive, so an
// archive made readable by everyone before keeps it, and so do they.
QStringList openToOthers(const ArchiveLocation &location) {
    QStringList warnings;
    if (location.kind != ArchiveLocation::Kind::Sqlite)
        return warnings;
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        const QFileInfo file(location.path + suffix);
        if (file.exists() && (file.permissions() & QFile::ReadOther))
            warnings.append(QStringLiteral("warning: everyone may read %1, which holds names and "
                                           "access history; chmod o-rwx it")
                                .arg(file.filePath()));
    }
    return warnings;
}

} // namespace

StatusRead readStatus(const CollectConfig &config, const QDate &today) {
    ReadOnlyArchive opened(config);
    if (!opened.archive()) {
        StatusRead read;
        read.error = opened.error();
        return read;
    }
    StatusRead read = readStatus(*opened.archive(), config, today);
    read.warnings = openToOthers(config.archive) + read.warnings;
    return read;
}

StatusRead readStatus(Archive &archive, const CollectConfig &config, const QDate &today) {
    StatusRead read;

    // By tester key: a group renamed since is the same tester.
    QMap<QString, TesterStatus> byKey;
    QStringList configured;
    for (const TesterEntry &tester : config.testers) {
        TesterStatus &s = byKey[tester.key];
        s.name = tester.name;
        s.address = tester.addressText;
        configured.append(tester.key);
    }
    QMap<qint64, QString> keys;
    auto status = [&](qint64 id) -> TesterStatus & { return byKey[keys.value(id)]; };
    const QString from = today.addDays(-kFailedAccessDays).toString(QStringLiteral("yyyy-MM-dd"));
    const QString to = today.toString(QStringLiteral("yyyy-MM-dd"));

    using Take = std::function<void(qint64, const QSqlQuery &)>;
    const QList<std::tuple<QString, QVariantList, Take>> queries = {
        {QStringLiteral("SELECT id, tester_key, name, address FROM testers"),
         {},
         [&](qint64 id, const QSqlQuery &q) {
             keys[id] = q.value(1).toString();
             TesterStatus &s = byKey[keys[id]];
             if (s.name.isEmpty())
                 s.name = q.value(2).toString();
             if (s.address.isEmpty())
                 s.address = q.value(3).toString();
         }},
        {QStringLiteral("SELECT tester, started, result, detail FROM attempts WHERE id IN "
                        "(SELECT MAX(id) FROM attempts GROUP BY tester)"),
         {},
         [&](qint64 id, const QSqlQuery &q) {
             status(id).lastAttempt = QDateTime::fromMSecsSinceEpoch(q.value(1).toLongLong());
             status(id).lastResult = q.value(2).toInt();
             status(id).lastDetail = q.value(3).toString();
         }},
        {QStringLiteral("SELECT tester, started, received, added, image_records FROM attempts "
                        "WHERE id IN (SELECT MAX(id) FROM attempts WHERE result = 0 GROUP BY "
                        "tester)"),
         {},
         [&](qint64 id, const QSqlQuery &q) {
             TesterStatus &s = status(id);
             s.lastSuccess = QDateTime::fromMSecsSinceEpoch(q.value(1).toLongLong());
             s.lastSuccessReceived = q.value(2).toInt();
             s.lastSuccessAdded = q.value(3).toInt();
             s.lastSuccessImageRecords = q.value(4).toInt();
         }},
        {QStringLiteral("SELECT tester, COUNT(*), SUM(CASE WHEN local_time IS NULL THEN 1 ELSE 0 "
                        "END) FROM records GROUP BY tester"),
         {},
         [&](qint64 id, const QSqlQuery &q) {
             status(id).records = q.value(1).toLongLong();
             status(id).invalidTimes = q.value(2).toLongLong();
         }},
        {QStringLiteral("SELECT tester, COUNT(*) FROM records WHERE passed = 'N' AND "
                        "record_date >= ? AND record_date <= ? GROUP BY tester"),
         {from, to},
         [&](qint64 id, const QSqlQuery &q) {
             status(id).recentFailedAccesses = q.value(1).toLongLong();
         }},
        {QStringLiteral("SELECT tester, COUNT(*) FROM attempts WHERE gap GROUP BY tester"),
         {},
         [&](qint64 id, const QSqlQuery &q) { status(id).gaps = q.value(1).toInt(); }},
        {QStringLiteral("SELECT tester, CAST(gap_from AS TEXT), CAST(gap_to AS TEXT) FROM "
                        "attempts WHERE id IN (SELECT MAX(id) FROM attempts WHERE gap GROUP BY "
                        "tester)"),
         {},
         [&](qint64 id, const QSqlQuery &q) {
             status(id).lastGapAfter = q.value(1).toString();
             status(id).lastGapBefore = q.value(2).toString();
         }},
        {QStringLiteral("SELECT a.tester, a.started, c.taken FROM attempts a JOIN configurations "
                        "c ON c.id = a.configuration WHERE a.id IN (SELECT MAX(id) FROM attempts "
                        "WHERE config_result = 0 GROUP BY tester)"),
         {},
         [&](qint64 id, const QSqlQuery &q) {
             status(id).lastConfiguration = QDateTime::fromMSecsSinceEpoch(q.value(1).toLongLong());
             status(id).configurationSince =
                 QDateTime::fromMSecsSinceEpoch(q.value(2).toLongLong());
         }},
        {QStringLiteral("SELECT tester, started, config_result, config_detail FROM attempts "
                        "WHERE id IN (SELECT MAX(id) FROM attempts WHERE config_result IS NOT "
                        "NULL GROUP BY tester) AND config_result <> 0"),
         {},
         [&](qint64 id, const QSqlQuery &q) {
             status(id).configurationFailed =
                 QDateTime::fromMSecsSinceEpoch(q.value(1).toLongLong());
             status(id).configurationFailedResult = q.value(2).toInt();
             status(id).configurationFailedDetail = q.value(3).toString();
         }},
    };
    QString error;
    for (const auto &[sql, values, take] : queries) {
        if (!forEachTester(archive, sql, values, take, error)) {
            read.error = QStringLiteral("cannot read the archive: %1").arg(error);
            return read;
        }
    }
    CalibrationsRead calibrations = readCalibrations(archive);
    if (!calibrations.error.isEmpty()) {
        read.error = QStringLiteral("cannot read the archive: %1").arg(calibrations.error);
        return read;
    }
    for (const TesterEntry &tester : config.testers) {
        TesterStatus &s = byKey[tester.key];
        s.calibrations = calibrations.byKey.value(tester.key);
        s.calibrationEveryDays = tester.plan.calibrationEveryDays;
    }
    for (const QString &key : std::as_const(configured))
        read.testers.append(byKey.take(key));
    QList<TesterStatus> others = byKey.values();
    std::sort(others.begin(), others.end(),
              [](const TesterStatus &a, const TesterStatus &b) { return a.name < b.name; });
    read.testers += others;
    return read;
}

namespace {

QString age(const QDateTime &then, const QDateTime &now) {
    constexpr qint64 kSecondsPerHour = 3600;
    constexpr qint64 kHoursPerDay = 24;
    const qint64 hours = std::max<qint64>(0, then.secsTo(now)) / kSecondsPerHour;
    if (hours < 1)
        return QStringLiteral("less than an hour ago");
    if (hours < 2 * kHoursPerDay)
        return QStringLiteral("%1 h ago").arg(hours);
    return QStringLiteral("%1 days ago").arg(hours / kHoursPerDay);
}

} // namespace

QStringList statusLines(const TesterStatus &s, const QDateTime &now) {
    QStringList lines;
    lines.append(QStringLiteral("%1  %2").arg(s.name, s.address));
    if (s.lastAttempt)
        lines.append(
            QStringLiteral("  last attempt  %1  %2  %3%4")
                .arg(stamp(*s.lastAttempt))
                .arg(s.lastResult)
                .arg(resultText(s.lastResult))
                .arg(s.lastDetail.isEmpty() ? QString() : QStringLiteral("  ") + s.lastDetail));
    else
        lines.append(QStringLiteral("  last attempt  never"));
    lines.append(s.lastSuccess ? QStringLiteral("  last success  %1").arg(stamp(*s.lastSuccess))
                               : QStringLiteral("  last success  never"));
    if (s.lastConfiguration)
        lines.append(QStringLiteral("  last configuration  %1  (%2; unchanged since %3)")
                         .arg(stamp(*s.lastConfiguration), age(*s.lastConfiguration, now),
                              stamp(*s.configurationSince)));
    else
        lines.append(QStringLiteral("  last configuration  never"));
    if (s.configurationFailed)
        lines.append(QStringLiteral("  configuration download failed  %1  %2  %3%4")
                         .arg(stamp(*s.configurationFailed))
                         .arg(s.configurationFailedResult)
                         .arg(resultText(s.configurationFailedResult),
                              s.configurationFailedDetail.isEmpty()
                                  ? QString()
                                  : QStringLiteral("  ") + s.configurationFailedDetail));
    lines.append(calibrationStatusLine(s.calibrations, s.calibrationEveryDays, now.date()));
    lines.append(QStringLiteral("  records  %1").arg(s.records));
    if (s.invalidTimes > 0)
        lines.append(
            QStringLiteral("  records without a valid date and time  %1").arg(s.invalidTimes));
    lines.append(QStringLiteral("  failed accesses in the last %1 days  %2")
                     .arg(kFailedAccessDays)
                     .arg(s.recentFailedAccesses));
    if (s.gaps > 0)
        lines.append(QStringLiteral("  gaps  %1; the last: records written between %2 and %3 "
                                    "were lost before they were collected")
                         .arg(s.gaps)
                         .arg(s.lastGapAfter.isEmpty() ? QStringLiteral("?") : s.lastGapAfter,
                              s.lastGapBefore.isEmpty() ? QStringLiteral("?") : s.lastGapBefore));
    // Overlap, not fullness: a full tester collected often holds mostly
    // records that are archived already, and nothing is at risk.
    const int overlap = s.lastSuccessReceived - s.lastSuccessAdded;
    if (s.lastSuccess && s.lastSuccessImageRecords >= records::kMaxAccessRecords &&
        overlap * 100 < s.lastSuccessImageRecords * kLowOverlapPercent)
        lines.append(QStringLiteral("  warning: the tester is full and only %1 of the %2 records "
                                    "of its last download had been archived before: its oldest "
                                    "records are overwritten between collections; collect more "
                                    "often")
                         .arg(overlap)
                         .arg(s.lastSuccessReceived));
    // Names, addresses and details may come from a tester or a file.
    for (QString &line : lines)
        line = visibleText(line);
    return lines;
}

} // namespace nxa::collect
