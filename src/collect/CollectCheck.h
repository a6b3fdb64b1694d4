#pragma once

#include "collect/CollectConfig.h"

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

} // namespace nxa::collect
