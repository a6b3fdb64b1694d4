#pragma once

#include "analysis/AnalysisInput.h"

#include <vector>

namespace nxa::analysis {

enum class LimitField { FootwearMin, FootwearMax, WristStrapMin, WristStrapMax, Check };

// One limit or check of one profile that a new configuration changed.
struct LimitChange {
    int profile = 0; // 0-9, or config::kVisitorsProfile
    LimitField field = LimitField::FootwearMin;
    std::optional<std::int64_t> beforeKohm, afterKohm; // limits; none: empty
    Check checkBefore = Check::WristStrapAndShoes, checkAfter = Check::WristStrapAndShoes;
};

// How the user table changed, slot by slot.
struct UserTableChange {
    int activated = 0;
    int deactivated = 0;
    int renamed = 0;
    int moved = 0; // to another profile
    bool any() const { return activated || deactivated || renamed || moved; }
};

// What one configuration changed against the tester's one before it.
struct ConfigurationChange {
    int tester = 0;
    int day = 0; // the day it was first seen: its snapshot's fromDay
    std::int64_t takenMs = 0;
    std::optional<std::pair<Mode, Mode>> mode; // before, after
    std::vector<LimitChange> limits;           // by profile, then field
    UserTableChange users;
    // Nothing of the above differs: the image changed elsewhere (identity,
    // relay, security level, ...).
    bool otherOnly() const { return !mode && limits.empty() && !users.any(); }
};

// Every configuration first seen from `fromDay` to `toDay`, compared with
// the one before it; a tester's first configuration changes nothing. Sorted
// by day, tester, time seen.
std::vector<ConfigurationChange> configurationChanges(const Plant &plant, int fromDay, int toDay);

} // namespace nxa::analysis
