#pragma once

#include <cstdint>

namespace nxa::analysis {

// Every threshold the analysis applies, in one place, so that a report or a
// command line can say what a flag was measured against.
struct AnalysisSettings {
    // Drift watch
    int driftWindowDays = 60; // calendar days ending on the day analysed
    int driftMinimumDays = 8; // days with data needed before a trend is fitted
    int crossingWithinDays = 30;
    double ewmaLambda = 0.2;
    double nearLimitFactor = 1.5; // in resistance: within max / 1.5 or min * 1.5
    // False: only significant trends get their line (slope, interval, level);
    // the others keep NaN there. For a caller that reports flags only.
    bool fitEveryTrend = true;
    // Exceptions
    int reviewLookbackDays = 30; // persons seen this many days before count as expected
    // Tester health
    double controlSigmas = 3.0;
    std::int64_t silentAfterMs = 26LL * 3600 * 1000;
    int trafficStreakDays = 5; // an empty day after this many days with traffic is suspicious
};

} // namespace nxa::analysis
