#pragma once

#include "analysis/AnalysisInput.h"
#include "analysis/AnalysisSettings.h"

#include <optional>
#include <vector>

namespace nxa::analysis {

// Where each person expected on a day stands: the roll call a supervisor
// reads at the gate. Failed and not tested are the day's exceptions as
// dayExceptions finds them; every other person who tested is cleared.
struct RollEntry {
    enum class State { Failed, NotTested, Cleared };
    State state = State::Cleared;
    int person = -1; // index into Plant::roster; -1 for a user number no roster enrols
    // The entrance and time of the access that decided: the last pass of a
    // cleared person, the last fail of a failed one; for one not tested, the
    // entrance last seen at.
    int tester = 0;
    int user = 0;
    std::optional<int> second;
    int fails = 0;                  // that day
    std::optional<int> lastSeenDay; // not tested: within the look-back
};

// Failed first, then not tested, then cleared; each in tester and user order.
std::vector<RollEntry> dayRoll(const Plant &plant, int day, const AnalysisSettings &settings = {});

} // namespace nxa::analysis
