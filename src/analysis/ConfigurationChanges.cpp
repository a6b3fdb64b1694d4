#include "analysis/ConfigurationChanges.h"

#include <algorithm>
#include <tuple>

namespace nxa::analysis {

namespace {

void compareRange(int profile, LimitField minField, LimitField maxField, const Range &before,
                  const Range &after, std::vector<LimitChange> &out) {
    if (before.minKohm != after.minKohm)
        out.push_back({profile, minField, before.minKohm, after.minKohm, {}, {}});
    if (before.maxKohm != after.maxKohm)
        out.push_back({profile, maxField, before.maxKohm, after.maxKohm, {}, {}});
}

ConfigurationChange compare(const LimitsSnapshot &before, const LimitsSnapshot &after) {
    ConfigurationChange change;
    change.day = after.fromDay;
    change.takenMs = after.takenMs;
    if (before.mode != after.mode)
        change.mode = std::make_pair(before.mode, after.mode);
    for (int p = 0; p < config::kProfileCount; ++p) {
        const ProfileLimits &b = before.profiles[static_cast<std::size_t>(p)];
        const ProfileLimits &a = after.profiles[static_cast<std::size_t>(p)];
        compareRange(p, LimitField::FootwearMin, LimitField::FootwearMax, b.footwear, a.footwear,
                     change.limits);
        compareRange(p, LimitField::WristStrapMin, LimitField::WristStrapMax, b.wristStrap,
                     a.wristStrap, change.limits);
        if (b.check != a.check)
            change.limits.push_back({p, LimitField::Check, {}, {}, b.check, a.check});
    }
    const std::size_t users = std::min(before.users.size(), after.users.size());
    for (std::size_t u = 0; u < users; ++u) {
        const UserEntry &b = before.users[u];
        const UserEntry &a = after.users[u];
        change.users.activated += !b.active && a.active ? 1 : 0;
        change.users.deactivated += b.active && !a.active ? 1 : 0;
        change.users.renamed += b.name != a.name ? 1 : 0;
        change.users.moved += b.profile != a.profile ? 1 : 0;
    }
    return change;
}

} // namespace

std::vector<ConfigurationChange> configurationChanges(const Plant &plant, int fromDay, int toDay) {
    std::vector<ConfigurationChange> changes;
    for (std::size_t t = 0; t < plant.testers.size(); ++t) {
        const std::vector<LimitsSnapshot> &limits = plant.testers[t].limits;
        for (std::size_t i = 1; i < limits.size(); ++i) {
            if (limits[i].fromDay < fromDay || limits[i].fromDay > toDay)
                continue;
            changes.push_back(compare(limits[i - 1], limits[i]));
            changes.back().tester = static_cast<int>(t);
        }
    }
    std::stable_sort(changes.begin(), changes.end(),
                     [](const ConfigurationChange &a, const ConfigurationChange &b) {
                         return std::tie(a.day, a.tester, a.takenMs) <
                                std::tie(b.day, b.tester, b.takenMs);
                     });
    return changes;
}

} // namespace nxa::analysis
