#pragma once

#include "analysis/AnalysisInput.h"
#include "analysis/AnalysisSettings.h"

#include <cmath>
#include <optional>
#include <vector>

namespace nxa::analysis {

enum class Measure { WristStrap, LeftShoe, RightShoe, BothFeet };
enum class LimitSide { Min, Max };

// One person's trend in one measure over the drift window, with what it takes
// to explain a flag: the fit, its interval, the smoothed level and the limit.
struct DriftResult {
    int tester = 0;
    int user = 0;
    Measure measure = Measure::WristStrap;
    int daysUsed = 0; // days with a value in the window
    int firstDay = 0; // first and last of those days
    int lastDay = 0;
    // Whether daysUsed reached the minimum; when not, nothing below is fitted
    // and nothing is flagged.
    bool fitted = false;
    // The line through the daily medians of log10(kOhm): slope per day, its
    // 95 % interval, and its value on the day analysed, back in kOhm.
    double slopePerDay = 0;
    double slopeLow = 0;
    double slopeHigh = 0;
    bool significant = false;
    double lineKohm = 0;
    double lastEwmaKohm = 0;
    // False when the tester's configuration was never collected: the trend is
    // still given, but without limits nothing can be flagged.
    bool limitsKnown = false;
    Range range; // the profile's limits for this measure
    // The limit the line heads for and the days until it crosses it
    // (0 when already beyond); null when it never will.
    std::optional<LimitSide> crossingSide;
    std::optional<double> daysToCrossing;
    // A fall that a step down explains (new shoes): the first day after the
    // step. The trend is then read from the days after it, or not at all when
    // they are fewer than the settings' minimum.
    std::optional<int> stepDownDay;
    bool crossingSoon = false; // significant, and crossing within the settings' days
    // The EWMA is within the settings' factor of this limit, or beyond it.
    std::optional<LimitSide> nearSide;
    bool flagged() const { return crossingSoon || nearSide.has_value(); }
};

// Whole days to the crossing, and its date: the day within which the line
// reaches the limit. A crossing 16.7 days after the day analysed falls in the
// 16th day after it; rounding up would date it after the fit's own date.
inline int wholeDaysToCrossing(double daysToCrossing) {
    return static_cast<int>(std::floor(daysToCrossing));
}
inline int crossingDay(int analysedDay, double daysToCrossing) {
    return analysedDay + wholeDaysToCrossing(daysToCrossing);
}

struct PlantLevels;

// Per person and per measure their profile checks, for the window of
// calendar days ending on `day`. Sorted by tester, user, measure. Whether a
// person drifts is read from their readings less the plant's level and their
// tester's offset; the limits are checked on the readings themselves.
std::vector<DriftResult> driftWatch(const Plant &plant, int day,
                                    const AnalysisSettings &settings = {});
// The same with the levels already estimated for that day and window.
std::vector<DriftResult> driftWatch(const Plant &plant, int day, const AnalysisSettings &settings,
                                    const PlantLevels &levels);

} // namespace nxa::analysis
