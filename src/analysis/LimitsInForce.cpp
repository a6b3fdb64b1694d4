#include "analysis/LimitsInForce.h"

#include <algorithm>

namespace nxa::analysis {

const LimitsSnapshot *snapshotInForce(const Plant &plant, int tester, int day) {
    if (tester < 0 || tester >= static_cast<int>(plant.testers.size()))
        return nullptr;
    const auto &limits = plant.testers[static_cast<std::size_t>(tester)].limits;
    if (limits.empty())
        return nullptr;
    auto after = std::upper_bound(limits.begin(), limits.end(), day,
                                  [](int d, const LimitsSnapshot &s) { return d < s.fromDay; });
    return after == limits.begin() ? &limits.front() : &*std::prev(after);
}

std::optional<int> profileOf(const LimitsSnapshot &snapshot, const Access &access) {
    if (access.visitor)
        return config::kVisitorsProfile;
    if (access.user < 0 || access.user >= static_cast<int>(snapshot.users.size()))
        return std::nullopt;
    const int profile = snapshot.users[static_cast<std::size_t>(access.user)].profile;
    if (profile < 0 || profile >= config::kProfileCount)
        return std::nullopt;
    return profile;
}

const UserEntry *userInForce(const Plant &plant, int tester, int user, int day) {
    const LimitsSnapshot *snapshot = snapshotInForce(plant, tester, day);
    if (!snapshot || user < 0 || user >= static_cast<int>(snapshot->users.size()))
        return nullptr;
    return &snapshot->users[static_cast<std::size_t>(user)];
}

} // namespace nxa::analysis
