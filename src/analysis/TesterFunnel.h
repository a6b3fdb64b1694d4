#pragma once

#include "analysis/AnalysisInput.h"
#include "analysis/AnalysisSettings.h"

#include <vector>

namespace nxa::analysis {

// Where a tester's fail rate stands against the plant's.
enum class FunnelStanding {
    TooFewTests, // fewer tests than the limits need
    Inside,
    Warning, // beyond the 95 % limits only
    Outside, // beyond the 99.8 % limits
};

struct FunnelPoint {
    int tester = 0;
    int tests = 0;
    int fails = 0;
    double rate = 0;
    // p-bar +/- z * sqrt(phi * p-bar (1 - p-bar) / tests), clipped to 0..1.
    double lower95 = 0;
    double upper95 = 0;
    double lower998 = 0;
    double upper998 = 0;
    FunnelStanding standing = FunnelStanding::TooFewTests;
    bool above() const { return rate > upper998; }
};

// Each tester's fail rate over the period against the plant's, with limits
// that narrow as its tests grow: a funnel plot.
struct TesterFunnel {
    int fromDay = 0;
    int toDay = 0;
    int tests = 0;
    int fails = 0;
    double plantRate = 0; // every tester's fails over every tester's tests
    // The over-dispersion factor the limits are widened by, 1 when the
    // testers are too few to estimate it or vary no more than chance.
    double overdispersion = 1;
    std::vector<FunnelPoint> testers; // in tester order, testers with tests only
};

// The period is the settings' funnel days ending on `day`.
TesterFunnel testerFunnel(const Plant &plant, int day, const AnalysisSettings &settings = {});

} // namespace nxa::analysis
