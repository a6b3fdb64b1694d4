#pragma once

#include "analysis/AnalysisInput.h"

#include <optional>
#include <span>
#include <vector>

namespace nxa::analysis {

// One person's tests on one day.
struct PersonDay {
    int tester = 0;
    int user = 0;
    int day = 0;
    Access first; // the first attempt as found, with its values
    int attempts = 0;
    int passes = 0;
    int fails = 0;
    // "failed and not passed afterwards that day": the last fail has no pass after it.
    bool failedNotPassedAfter = false;
    // Null when no attempt passed that day; 1 when the first attempt passed.
    std::optional<int> attemptsToFirstPass;
    std::optional<double> minutesToFirstPass;
};

// The figures of one person's accesses of one day, given in time order.
PersonDay personDayOf(std::span<const Access> day);

// Every person's every day, sorted by tester, user, day.
std::vector<PersonDay> dailyCompliance(const Plant &plant);

} // namespace nxa::analysis
