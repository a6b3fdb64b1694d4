#pragma once

#include "analysis/AnalysisInput.h"
#include "collect/CollectConfig.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace nxa::collect {

class Archive;

inline constexpr int kFailedAccessDays = 30;
// A full image of which less than this share was already archived came close
// to overwriting records that were never collected.
inline constexpr int kLowOverlapPercent = 10;

struct TesterStatus {
    QString name;
    QString address;
    std::optional<QDateTime> lastAttempt;
    int lastResult = 0;
    QString lastDetail;
    std::optional<QDateTime> lastSuccess;
    int lastSuccessReceived = 0;
    int lastSuccessAdded = 0;
    int lastSuccessImageRecords = 0;
    qint64 records = 0;
    qint64 invalidTimes = 0;         // records whose date and time form no valid time
    qint64 recentFailedAccesses = 0; // Pass "N" dated within the last 30 days
    int gaps = 0;                    // downloads that found records lost before them
    QString lastGapAfter, lastGapBefore;
    // The newest configuration that came whole, and since when the tester
    // has held it unchanged.
    std::optional<QDateTime> lastConfiguration;
    std::optional<QDateTime> configurationSince;
    // The newest configuration download tried, when it failed.
    std::optional<QDateTime> configurationFailed;
    int configurationFailedResult = 0;
    QString configurationFailedDetail;
    // A configured tester's calibrations, oldest first, and its interval.
    std::vector<analysis::Calibration> calibrations;
    std::optional<int> calibrationEveryDays;
};

struct StatusRead {
    QList<TesterStatus> testers; // configured ones in their order, then archived ones by name
    QString error;
    // About the archive itself, before the testers' lines.
    QStringList warnings;
};

// What the archive knows about every tester; `today` anchors the 30 days.
StatusRead readStatus(const CollectConfig &config, const QDate &today);
// The same on a connection already open; no warning about the files.
StatusRead readStatus(Archive &archive, const CollectConfig &config, const QDate &today);

// The lines `status` prints for one tester, warnings included; `now` gives
// the configuration's age and the calibration's standing.
QStringList statusLines(const TesterStatus &status, const QDateTime &now);

// Said once when the configuration gives no plan to compare limits with.
inline constexpr char kNoPlanLine[] =
    "# no plan-wrist-strap= or plan-footwear= in the configuration: the testers' limits are "
    "not compared with the plant's ESD plan";

} // namespace nxa::collect
