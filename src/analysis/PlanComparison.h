#pragma once

#include "analysis/AnalysisInput.h"

#include <vector>

namespace nxa::analysis {

enum class PlanMeasure { WristStrap, Footwear };

// How a profile's limit for one measure is looser than the plan.
struct Looseness {
    enum class Kind {
        MaxAbove, // a max above the plan's max
        NoMax,    // no max where the plan has one
        MinBelow, // a min below the plan's min
        NoMin,    // no min where the plan has one
        LeftOut,  // the profile does not measure it at all
    };
    PlanMeasure measure = PlanMeasure::WristStrap;
    Kind kind = Kind::MaxAbove;
    std::optional<std::int64_t> profileKohm; // the profile's limit, when it has one
    std::optional<std::int64_t> planKohm;    // the plan's side it misses
};

struct LooserProfile {
    int tester = 0;
    int profile = 0;     // 0-9, or config::kVisitorsProfile
    int activeUsers = 0; // of the user table in force who have this profile
    Mode mode = Mode::Normal;
    Check check = Check::WristStrapAndShoes;
    std::vector<Looseness> reasons; // never empty
};

// Whether a tester's plan asks for anything at all.
bool planSetsAnything(const PlanRanges &plan);

// The profiles in force on `day` that are looser than their tester's plan:
// the visitors profile and every profile an active user of the table in
// force has, each once, sorted by tester and profile. A tester whose
// configuration was never collected, or whose plan sets nothing, gives none.
std::vector<LooserProfile> looserThanPlan(const Plant &plant, int day);

} // namespace nxa::analysis
