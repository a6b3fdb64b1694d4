#include "analysis/PlanComparison.h"

#include "analysis/LimitsInForce.h"

namespace nxa::analysis {

namespace {

bool sets(const std::optional<Range> &range) {
    return range && (range->minKohm || range->maxKohm);
}

// Whether the profile measures it: HandFree measures both feet as one value
// and never the wrist strap; in Normal mode the check choice decides.
bool measures(Mode mode, Check check, PlanMeasure measure) {
    if (mode == Mode::HandFree)
        return measure == PlanMeasure::Footwear;
    if (measure == PlanMeasure::WristStrap)
        return check != Check::Shoes;
    return check != Check::WristStrap;
}

void compare(const Range &limits, const Range &plan, PlanMeasure measure,
             std::vector<Looseness> &reasons) {
    using Kind = Looseness::Kind;
    if (plan.maxKohm && !limits.maxKohm)
        reasons.push_back({measure, Kind::NoMax, std::nullopt, plan.maxKohm});
    else if (plan.maxKohm && *limits.maxKohm > *plan.maxKohm)
        reasons.push_back({measure, Kind::MaxAbove, limits.maxKohm, plan.maxKohm});
    if (plan.minKohm && !limits.minKohm)
        reasons.push_back({measure, Kind::NoMin, std::nullopt, plan.minKohm});
    else if (plan.minKohm && *limits.minKohm < *plan.minKohm)
        reasons.push_back({measure, Kind::MinBelow, limits.minKohm, plan.minKohm});
}

} // namespace

bool planSetsAnything(const PlanRanges &plan) {
    return sets(plan.wristStrap) || sets(plan.footwear);
}

std::vector<LooserProfile> looserThanPlan(const Plant &plant, int day) {
    std::vector<LooserProfile> found;
    for (std::size_t t = 0; t < plant.testers.size(); ++t) {
        const TesterInput &tester = plant.testers[t];
        const LimitsSnapshot *snapshot = snapshotInForce(plant, static_cast<int>(t), day);
        if (!snapshot || !planSetsAnything(tester.plan))
            continue;
        std::array<int, config::kProfileCount> users{};
        for (const UserEntry &u : snapshot->users)
            if (u.active && u.profile >= 0 && u.profile < config::kVisitorsProfile)
                ++users[static_cast<std::size_t>(u.profile)];
        for (int p = 0; p < config::kProfileCount; ++p) {
            if (p != config::kVisitorsProfile && users[static_cast<std::size_t>(p)] == 0)
                continue;
            const ProfileLimits &limits = snapshot->profiles[static_cast<std::size_t>(p)];
            LooserProfile looser{
                static_cast<int>(t), p, users[static_cast<std::size_t>(p)], snapshot->mode,
                limits.check,        {}};
            const std::pair<PlanMeasure, const std::optional<Range> *> measuresOfPlan[] = {
                {PlanMeasure::WristStrap, &tester.plan.wristStrap},
                {PlanMeasure::Footwear, &tester.plan.footwear},
            };
            for (const auto &[measure, plan] : measuresOfPlan) {
                if (!sets(*plan))
                    continue;
                if (!measures(snapshot->mode, limits.check, measure))
                    looser.reasons.push_back(
                        {measure, Looseness::Kind::LeftOut, std::nullopt, std::nullopt});
                else
                    compare(measure == PlanMeasure::WristStrap ? limits.wristStrap
                                                               : limits.footwear,
                            **plan, measure, looser.reasons);
            }
            if (!looser.reasons.empty())
                found.push_back(std::move(looser));
        }
    }
    return found;
}

} // namespace nxa::analysis
