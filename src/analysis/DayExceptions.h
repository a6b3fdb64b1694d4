#pragma once

#include "analysis/AnalysisInput.h"
#include "analysis/AnalysisSettings.h"

#include <optional>
#include <vector>

namespace nxa::analysis {

struct UnresolvedFailure {
    int tester = 0;
    int user = 0;
    int fails = 0;   // that day
    Access lastFail; // its time and values
};

// Someone expected who did not test; absence is normal, so this is a list to
// review, not a fault.
struct ToReview {
    int tester = 0;
    int user = 0;
    bool activeInTable = false;     // active in the user table in force that day
    std::optional<int> lastSeenDay; // within the look-back, when seen there
};

struct DayExceptions {
    int day = 0;
    std::vector<UnresolvedFailure> failedNotPassed; // sorted by tester, user
    std::vector<Access> relayWithoutPass;           // sorted by tester, user, second
    std::vector<ToReview> toReview;                 // sorted by tester, user
};

DayExceptions dayExceptions(const Plant &plant, int day, const AnalysisSettings &settings = {});
// The same for every day from fromDay to toDay, in day order.
std::vector<DayExceptions> dayExceptions(const Plant &plant, int fromDay, int toDay,
                                         const AnalysisSettings &settings = {});

} // namespace nxa::analysis
