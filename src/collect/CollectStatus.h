#pragma once

#include "collect/CollectConfig.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace nxa::collect {

// A tester that held this many records at its last download is close to its
// 10,000 and will soon overwrite its oldest ones.
inline constexpr int kNearlyFullRecords = 9000;
inline constexpr int kFailedAccessDays = 30;

struct TesterStatus {
    QString name;
    QString address;
    std::optional<QDateTime> lastAttempt;
    int lastResult = 0;
    std::optional<QDateTime> lastSuccess;
    int lastSuccessReceived = 0;
    qint64 records = 0;
    qint64 recentFailedAccesses = 0; // Pass "N" dated within the last 30 days
};

struct StatusRead {
    QList<TesterStatus> testers; // configured and archived ones, by name
    QString error;
};

// What the archive knows about every tester; `today` anchors the 30 days.
StatusRead readStatus(const CollectConfig &config, const QDate &today);

// The lines `status` prints for one tester, the nearly-full warning included.
QStringList statusLines(const TesterStatus &status);

} // namespace nxa::collect
