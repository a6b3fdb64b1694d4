#pragma once

#include "analysis/AnalysisInput.h"
#include "analysis/DriftWatch.h"
#include "charts/ChartInputs.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace nxa::audit {

// The wrist strap and the footwear have limits of their own, so each is
// drawn against its own band.
inline bool isFootwear(analysis::Measure measure) {
    return measure != analysis::Measure::WristStrap;
}

struct TrendRequest {
    int tester = 0;
    int user = 0;
    bool footwear = true;
    int firstDay = 0;    // the days drawn
    int analysedDay = 0; // the day the drift watch was made for, and the last one drawn
};

// One person's daily medians of every watched measure of one kind, the
// fitted line of each significant trend and its projected crossing, against
// the limits of the profile. drift: the drift watch of plant for
// person.analysedDay.
charts::PersonTrend personTrend(const analysis::Plant &plant,
                                const std::vector<analysis::DriftResult> &drift,
                                const TrendRequest &person, const QString &title);

} // namespace nxa::audit
