#pragma once

#include "analysis/AnalysisInput.h"
#include "analysis/AnalysisSettings.h"
#include "analysis/FailRateControl.h"

#include <optional>
#include <vector>

namespace nxa::analysis {

// A full datalogger: the tester overwrites its oldest record next.
inline constexpr int kDataloggerCapacity = 10000;

struct TesterHealth {
    int tester = 0;
    FailRateControl failRate;
    std::optional<std::int64_t> lastSuccessMs; // the last successful collection's start
    // No successful collection within the settings' time before Plant::nowMs,
    // or none at all.
    bool silentByCollection = false;
    // Days without a record that follow the settings' streak of days with
    // traffic, ascending. Only days known to be over count: a later day has
    // a record, or a successful collection started on a later local day.
    std::vector<int> quietDays;
    // From the last successful collection that brought an image.
    std::optional<int> imageRecords;
    std::optional<double> fullness; // imageRecords / kDataloggerCapacity
};

// In tester order.
std::vector<TesterHealth> testerHealth(const Plant &plant, const AnalysisSettings &settings = {});

} // namespace nxa::analysis
