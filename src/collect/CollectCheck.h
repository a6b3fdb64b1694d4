#pragma once

#include "analysis/AnalysisInput.h"
#include "analysis/AnalysisSettings.h"
#include "analysis/TesterHealth.h"
#include "collect/CollectConfig.h"
#include "collect/PlantRead.h"

#include <QDate>
#include <QStringList>

namespace nxa::collect {

struct CheckRequest {
    QDate day;           // the day whose records are checked
    QStringList testers; // by name; empty: every tester
    bool all = false;    // every line of each section, not the first kSectionLines
};

// A section longer than this ends with "… and N more" so that the morning
// list stays readable; its title still counts every entry.
inline constexpr int kSectionLines = 50;

struct CheckOutcome {
    QStringList lines;
    bool attention = false;     // something to act on was found
    bool unknownTester = false; // the request named a tester nobody knows
    QString error;              // the archive could not be read
};

// The day's list for the person who reads it every morning: exceptions,
// drift flags, fail rates outside their control limits, silent testers,
// and the persons to review, grouped and sorted.
CheckOutcome runCheck(const CollectConfig &config, const CheckRequest &request);

// The thresholds the list is made with, and the days of the archive it reads.
analysis::AnalysisSettings checkSettings();
PlantRequest checkPlantRequest(const CheckRequest &request);
// The list of `day` from a plant read with checkPlantRequest; the lines
// only, no error.
// Why the tester counts as silent on `day` (no successful collection, or
// no record since a run of busy days), empty when it does not.
QString silentReason(const analysis::TesterHealth &health, int day,
                     const analysis::AnalysisSettings &settings);
CheckOutcome checkOfPlant(const analysis::Plant &plant, const QDate &day, bool all);

} // namespace nxa::collect
