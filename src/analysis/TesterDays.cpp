#include "analysis/TesterDays.h"

#include "analysis/SortedAccesses.h"

#include <algorithm>

namespace nxa::analysis {

std::vector<std::vector<TesterDayCount>> countsPerTesterDay(const Plant &plant) {
    const SortedAccesses sorted(plant.accesses);
    const int testerCount = static_cast<int>(plant.testers.size());
    std::vector<std::vector<TesterDayCount>> counts(static_cast<std::size_t>(testerCount));
    // A day and its outcome in one key: day * 2 + fail, so one sort groups both.
    std::vector<std::int64_t> keys;
    forEachRun(
        sorted.all(), [](const Access &a, const Access &b) { return a.tester == b.tester; },
        [&](std::span<const Access> accesses) {
            const int tester = accesses.front().tester;
            if (tester < 0 || tester >= testerCount)
                return;
            keys.clear();
            for (const Access &access : accesses)
                keys.push_back(std::int64_t{access.day} * 2 + (access.pass ? 0 : 1));
            std::sort(keys.begin(), keys.end());
            auto &days = counts[static_cast<std::size_t>(tester)];
            for (std::int64_t key : keys) {
                const int day = static_cast<int>(key >> 1);
                if (days.empty() || days.back().day != day)
                    days.push_back({day, 0, 0});
                ++days.back().attempts;
                days.back().fails += static_cast<int>(key & 1);
            }
        });
    return counts;
}

} // namespace nxa::analysis
