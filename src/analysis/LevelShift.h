#pragma once

#include "analysis/AnalysisSettings.h"

#include <optional>
#include <span>

namespace nxa::analysis {

// A lasting change of a daily level, in log10 of the resistance: where it
// started, how far it has moved and how fast it moved since.
struct LevelChange {
    int startDay = 0;       // the first day of the change
    int days = 0;           // days with a level since then
    double factor = 1;      // the current level over the baseline, in resistance
    double slopePerDay = 0; // Theil-Sen slope of the level since the start, log10 per day
    bool sloping = false;   // its 95 % interval excludes 0: a drift rather than a step
};

// The level's baseline is the median of its first days, its current value the
// median of its last; a change is their distance when it reaches both the
// settings' factor and their multiple of the day-to-day noise. The start is
// the change point of a one-sided CUSUM from the baseline: the day after it
// last stood at zero. Nothing without enough days for both ends.
std::optional<LevelChange> levelChange(std::span<const double> days, std::span<const double> values,
                                       const AnalysisSettings &settings);

} // namespace nxa::analysis
