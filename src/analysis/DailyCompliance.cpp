#include "analysis/DailyCompliance.h"

#include "analysis/SortedAccesses.h"

namespace nxa::analysis {

PersonDay personDayOf(std::span<const Access> day) {
    PersonDay result;
    if (day.empty())
        return result;
    result.tester = day.front().tester;
    result.user = day.front().user;
    result.day = day.front().day;
    result.first = day.front();
    result.attempts = static_cast<int>(day.size());
    bool passedSinceLastFail = false;
    for (std::size_t i = 0; i < day.size(); ++i) {
        const Access &access = day[i];
        if (access.pass) {
            ++result.passes;
            passedSinceLastFail = true;
            if (!result.attemptsToFirstPass) {
                result.attemptsToFirstPass = static_cast<int>(i) + 1;
                result.minutesToFirstPass = (access.second - day.front().second) / 60.0;
            }
        } else {
            ++result.fails;
            passedSinceLastFail = false;
        }
    }
    result.failedNotPassedAfter = result.fails > 0 && !passedSinceLastFail;
    return result;
}

std::vector<PersonDay> dailyCompliance(const Plant &plant) {
    const SortedAccesses sorted(plant.accesses);
    std::vector<PersonDay> days;
    forEachRun(sorted.all(), samePersonDay,
               [&](std::span<const Access> day) { days.push_back(personDayOf(day)); });
    return days;
}

} // namespace nxa::analysis
