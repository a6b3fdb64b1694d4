#pragma once

#include "analysis/AnalysisInput.h"

#include <span>
#include <vector>

namespace nxa::analysis {

struct TesterDayCount {
    int day = 0;
    int attempts = 0;
    int fails = 0;
};

// Each tester's attempts and fails per day, ascending, in tester order.
// Accesses come sorted by person, so a tester's days are gathered and sorted
// once; accesses of a tester the plant does not list are left out.
std::vector<std::vector<TesterDayCount>> countsPerTesterDay(const Plant &plant);

} // namespace nxa::analysis
