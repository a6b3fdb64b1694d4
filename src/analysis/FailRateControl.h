#pragma once

#include "analysis/AnalysisInput.h"
#include "analysis/AnalysisSettings.h"
#include "analysis/TesterDays.h"

#include <vector>

namespace nxa::analysis {

// One day of a tester's p-chart: the day's fail rate against limits
// p-bar +/- sigmas * sqrt(p-bar (1 - p-bar) / n), n being that day's attempts.
struct FailRateDay {
    int day = 0;
    int attempts = 0;
    int fails = 0;
    double rate = 0;
    double lower = 0; // clipped at 0
    double upper = 0; // clipped at 1
    bool outside() const { return rate > upper || rate < lower; }
};

// A tester's fail rate under statistical process control (a p-chart's
// figures): the mean rate over the days given and each day against its limits.
struct FailRateControl {
    int tester = 0;
    int attempts = 0;
    int fails = 0;
    double meanRate = 0;           // p-bar over every day given
    std::vector<FailRateDay> days; // days with attempts, ascending
    std::vector<int> daysOutside;  // ascending
};

FailRateControl failRateControl(int tester, const std::vector<TesterDayCount> &counts,
                                double sigmas);

// One per tester of the plant, in tester order; a tester without accesses
// has an empty one.
std::vector<FailRateControl> failRateControls(const Plant &plant,
                                              const AnalysisSettings &settings = {});

} // namespace nxa::analysis
