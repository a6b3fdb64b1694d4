#pragma once

#include "analysis/AnalysisInput.h"
#include "analysis/AnalysisSettings.h"
#include "analysis/LevelShift.h"

#include <array>
#include <vector>

namespace nxa::analysis {

// What moves every reading of a measure together: the air for the whole
// plant's footwear, a tester's plate for its wrist straps.
enum class LevelMeasure { WristStrap, Footwear };
inline constexpr std::size_t kLevelMeasures = 2;

// A level's estimates, on the days that had enough persons for one.
struct LevelSeries {
    std::vector<double> days;   // Julian days, ascending
    std::vector<double> values; // log10
};

// A lasting change of the plant's level (tester -1) or of one tester's offset.
struct LevelShift {
    LevelMeasure measure = LevelMeasure::WristStrap;
    int tester = -1;
    LevelChange change;
};

// Per measure, in log10 of the resistance, over the drift window ending on
// the day analysed: the plant's daily level m_d, the median over the day's
// persons of their daily median less their own median over the window; each
// tester's daily centre, the median over its persons of what is left after
// m_d, and its offset b_t,d, the rolling median of its last centres. A
// person's residual is their daily median less m_d and b_t,d.
struct PlantLevels {
    int fromDay = 0;
    int toDay = 0;
    std::array<LevelSeries, kLevelMeasures> plant;
    std::array<std::vector<LevelSeries>, kLevelMeasures> testers; // in tester order
    // The plant's changes first, then the testers', each by measure.
    std::vector<LevelShift> shifts;

    // m_d + b_t,d, for every day of the window: a day without an estimate
    // takes the last one before it (or the first after it), a tester that
    // never had enough persons has no offset.
    double common(LevelMeasure measure, int tester, int day) const;

    std::array<std::vector<double>, kLevelMeasures> plantFilled; // by day - fromDay
    std::array<std::vector<std::vector<double>>, kLevelMeasures> testerFilled;
};

PlantLevels plantLevels(const Plant &plant, int day, const AnalysisSettings &settings = {});

} // namespace nxa::analysis
