#include "analysis/DayRoll.h"

#include "analysis/DayExceptions.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

namespace nxa::analysis {

std::vector<RollEntry> dayRoll(const Plant &plant, int day, const AnalysisSettings &settings) {
    const DayExceptions exceptions = dayExceptions(plant, day, settings);
    std::map<std::pair<int, int>, int> personOfSlot;
    for (std::size_t p = 0; p < plant.roster.size(); ++p)
        for (const RosterPerson::Enrolment &e : plant.roster[p].enrolments)
            personOfSlot.emplace(std::pair(int(e.tester), int(e.user)), int(p));
    // A person by their roster index, else by the entrance as (-1 - tester, user).
    const auto keyOf = [&](int tester, int user) {
        const auto found = personOfSlot.find({tester, user});
        return found != personOfSlot.end() ? std::pair(found->second, 0)
                                           : std::pair(-1 - tester, user);
    };

    std::vector<RollEntry> roll;
    std::set<std::pair<int, int>> failed;
    for (const UnresolvedFailure &f : exceptions.failedNotPassed) {
        roll.push_back({RollEntry::State::Failed, f.person, f.tester, f.user, f.lastFail.second,
                        f.fails, std::nullopt});
        failed.insert(keyOf(f.tester, f.user));
    }
    for (const ToReview &r : exceptions.toReview)
        roll.push_back({RollEntry::State::NotTested, r.person, r.tester, r.user, std::nullopt, 0,
                        r.lastSeenDay});
    // The last pass of the day of everyone else who tested, at any entrance.
    std::map<std::pair<int, int>, RollEntry> cleared;
    for (const Access &a : plant.accesses) {
        if (a.day != day || !a.pass)
            continue;
        const std::pair<int, int> key = keyOf(a.tester, a.user);
        if (failed.contains(key))
            continue;
        RollEntry &entry = cleared[key];
        if (!entry.second || a.second >= *entry.second) {
            entry.person = key.first >= 0 ? key.first : -1;
            entry.tester = a.tester;
            entry.user = a.user;
            entry.second = a.second;
        }
    }
    for (const Access &a : plant.accesses)
        if (a.day == day && !a.pass)
            if (const auto found = cleared.find(keyOf(a.tester, a.user)); found != cleared.end())
                found->second.fails += 1;
    std::vector<RollEntry> passed;
    for (const auto &[key, entry] : cleared)
        passed.push_back(entry);
    std::ranges::sort(passed, [](const RollEntry &a, const RollEntry &b) {
        return std::tie(a.tester, a.user) < std::tie(b.tester, b.user);
    });
    roll.insert(roll.end(), passed.begin(), passed.end());
    return roll;
}

} // namespace nxa::analysis
