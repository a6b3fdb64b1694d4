#pragma once

#include "analysis/DailyCompliance.h"

#include <array>
#include <optional>
#include <vector>

namespace nxa::analysis {

// Attempts to the first pass: 1, 2, ... with the last bucket holding that
// many or more.
inline constexpr int kAttemptBuckets = 6;
// Upper edges, in minutes, of the time-to-pass buckets; a last bucket holds
// the rest.
inline constexpr std::array<double, 6> kMinuteEdges{1, 2, 5, 10, 30, 60};

// What the days of a group cost at the entrance before the first pass.
struct RetestDistribution {
    int passedDays = 0;    // person-days with a pass
    int notPassedDays = 0; // person-days with attempts and no pass
    std::array<int, kAttemptBuckets> attemptsToPass{};
    double meanAttempts = 0; // over passed days
    // Among the passed days that needed more than one attempt.
    int retestedDays = 0;
    std::array<int, kMinuteEdges.size() + 1> minutesToPass{};
    std::optional<double> medianMinutes;
    std::optional<double> p90Minutes;
};

struct MonthRetests {
    int year = 0;
    int month = 0;
    RetestDistribution distribution;
};

// Grouped by the hour of the day's first attempt, and by month.
struct Retests {
    RetestDistribution overall;
    std::array<RetestDistribution, 24> byHour;
    std::vector<MonthRetests> byMonth; // ascending
};

Retests retests(const std::vector<PersonDay> &days);

} // namespace nxa::analysis
