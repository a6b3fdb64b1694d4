#pragma once

#include "analysis/AnalysisInput.h"
#include "analysis/AnalysisSettings.h"

#include <optional>
#include <vector>

namespace nxa::analysis {

// With a roster, a person's entries speak of their day at every entrance:
// `person` indexes Plant::roster, and tester and user name the entrance of
// the access shown (the last fail, the last test); -1 without a roster.
struct UnresolvedFailure {
    int tester = 0;
    int user = 0;
    int person = -1;
    int fails = 0;   // that day
    Access lastFail; // its time and values
};

// Someone expected who did not test: without a roster, seen at that tester
// within the look-back before the day; with one, a person whose workdays hold
// the day and who tested at none of their entrances. Absence is normal, so
// this is a list to review, not a fault.
struct ToReview {
    int tester = 0;
    int user = 0;
    int person = -1;
    bool activeInTable = false;     // active in the user table in force that day
    std::optional<int> lastSeenDay; // within the look-back, when seen there
};

// Users a tester's table holds as active who had no access there that day nor
// in the look-back before it, and whom no roster enrols: slots the factory
// left active, or persons who left. One count per tester, since a tester leaves the factory with
// every user active and a line per slot would bury the persons really missing.
struct IdleActiveUsers {
    int tester = 0;
    int count = 0;
};

struct DayExceptions {
    int day = 0;
    std::vector<UnresolvedFailure> failedNotPassed; // sorted by tester, user
    std::vector<Access> relayWithoutPass;           // sorted by tester, user, second
    std::vector<ToReview> toReview;                 // sorted by tester, user
    std::vector<IdleActiveUsers> idleActiveUsers;   // by tester; none with a count of 0
};

DayExceptions dayExceptions(const Plant &plant, int day, const AnalysisSettings &settings = {});
// The same for every day from fromDay to toDay, in day order.
std::vector<DayExceptions> dayExceptions(const Plant &plant, int fromDay, int toDay,
                                         const AnalysisSettings &settings = {});

} // namespace nxa::analysis
