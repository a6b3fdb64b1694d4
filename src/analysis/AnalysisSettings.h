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
    // Common levels: the plant's daily level and each tester's offset, per
    // measure, that the drift watch takes out of each person's series.
    int levelMinimumPersons = 10;      // persons a day needs for the plant's level
    int testerLevelMinimumPersons = 5; // persons a tester's day needs for its offset
    int testerLevelDays = 3;           // days with an offset in the tester's rolling median
    int shiftBaselineDays = 14;        // days with a level at the window's start: the baseline
    int shiftRecentDays = 3;           // days with a level at its end: the current level
    double shiftMinimumFactor = 1.2;   // a level this far from its baseline is a shift
    double shiftSigmas = 4;            // ... and this many times its day-to-day noise
    // Testers compared with each other
    int funnelDays = 7;                          // days ending on the day analysed
    double funnelMinimumExpectedFails = 5;       // tests times the plant's rate, for the limits
    int funnelOverdispersionMinimumTesters = 10; // testers needed to estimate over-dispersion
    // Exceptions
    int reviewLookbackDays = 30; // persons seen this many days before count as expected
    // Tester health
    double controlSigmas = 3.0;
    std::int64_t silentAfterMs = 26LL * 3600 * 1000;
    int trafficStreakDays = 5; // an empty day after this many days with traffic is suspicious
};

} // namespace nxa::analysis
