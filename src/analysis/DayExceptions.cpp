#include "analysis/DayExceptions.h"

#include "analysis/DailyCompliance.h"
#include "analysis/LimitsInForce.h"
#include "analysis/SortedAccesses.h"

#include <algorithm>

namespace nxa::analysis {

namespace {

// What one person did on the day and in the look-back before it.
struct PersonTrace {
    bool testedOnDay = false;
    std::optional<int> lastSeenBefore;
};

void addToReview(DayExceptions &result, int tester, int user, bool active,
                 const PersonTrace &trace) {
    if (trace.testedOnDay || (!active && !trace.lastSeenBefore))
        return;
    result.toReview.push_back({tester, user, active, trace.lastSeenBefore});
}

// The active users of the table in force, merged in user order with the
// persons the accesses show, so that the list stays sorted without a sort.
void reviewTester(DayExceptions &result, const Plant &plant, int tester,
                  const std::vector<std::pair<int, PersonTrace>> &seen) {
    const LimitsSnapshot *snapshot = snapshotInForce(plant, tester, result.day);
    const int tableSize = snapshot ? static_cast<int>(snapshot->users.size()) : 0;
    std::size_t next = 0;
    for (int user = 0; user < tableSize; ++user) {
        for (; next < seen.size() && seen[next].first < user; ++next)
            addToReview(result, tester, seen[next].first, false, seen[next].second);
        PersonTrace trace;
        if (next < seen.size() && seen[next].first == user)
            trace = seen[next++].second;
        addToReview(result, tester, user, snapshot->users[static_cast<std::size_t>(user)].active,
                    trace);
    }
    for (; next < seen.size(); ++next)
        addToReview(result, tester, seen[next].first, false, seen[next].second);
}

// One day's exceptions from the plant's persons, each a run of the sorted
// accesses: a report over a period asks this of every day, and finding the
// runs once keeps that to a few steps per person and day.
DayExceptions exceptionsOn(const Plant &plant, const std::vector<std::span<const Access>> &persons,
                           int day, const AnalysisSettings &settings) {
    DayExceptions result;
    result.day = day;
    const int lookbackFrom = day - settings.reviewLookbackDays;

    std::vector<std::pair<int, PersonTrace>> seen; // the current tester's persons, by user
    const int testerCount = static_cast<int>(plant.testers.size());
    int current = -1;
    int nextToReview = 0; // testers before it are reviewed
    auto closeCurrent = [&] {
        if (current >= 0 && current < testerCount) {
            reviewTester(result, plant, current, seen);
            nextToReview = current + 1;
        }
        seen.clear();
    };
    // A tester with a user table but no access still owes its review.
    auto reviewSilentTestersBefore = [&](int tester) {
        for (; nextToReview < std::min(tester, testerCount); ++nextToReview)
            reviewTester(result, plant, nextToReview, {});
    };

    for (const std::span<const Access> person : persons) {
        if (person.front().tester != current) {
            closeCurrent();
            reviewSilentTestersBefore(person.front().tester);
            current = person.front().tester;
        }
        auto dayBegin = std::partition_point(person.begin(), person.end(),
                                             [day](const Access &a) { return a.day < day; });
        auto dayEnd = std::partition_point(dayBegin, person.end(),
                                           [day](const Access &a) { return a.day == day; });
        const std::span<const Access> today(dayBegin, dayEnd);
        PersonTrace trace;
        trace.testedOnDay = !today.empty();
        if (dayBegin != person.begin() && std::prev(dayBegin)->day >= lookbackFrom)
            trace.lastSeenBefore = std::prev(dayBegin)->day;
        seen.emplace_back(person.front().user, trace);

        if (today.empty())
            continue;
        const PersonDay figures = personDayOf(today);
        if (figures.failedNotPassedAfter) {
            auto lastFail =
                std::find_if(today.rbegin(), today.rend(), [](const Access &a) { return !a.pass; });
            result.failedNotPassed.push_back(
                {figures.tester, figures.user, figures.fails, *lastFail});
        }
        for (const Access &access : today)
            if (access.relay && !access.pass)
                result.relayWithoutPass.push_back(access);
    }
    closeCurrent();
    reviewSilentTestersBefore(testerCount);
    return result;
}

std::vector<std::span<const Access>> personRuns(std::span<const Access> sorted) {
    std::vector<std::span<const Access>> persons;
    forEachRun(sorted, samePerson,
               [&](std::span<const Access> person) { persons.push_back(person); });
    return persons;
}

} // namespace

DayExceptions dayExceptions(const Plant &plant, int day, const AnalysisSettings &settings) {
    const SortedAccesses sorted(plant.accesses);
    return exceptionsOn(plant, personRuns(sorted.all()), day, settings);
}

std::vector<DayExceptions> dayExceptions(const Plant &plant, int fromDay, int toDay,
                                         const AnalysisSettings &settings) {
    const SortedAccesses sorted(plant.accesses);
    const std::vector<std::span<const Access>> persons = personRuns(sorted.all());
    std::vector<DayExceptions> days;
    for (int day = fromDay; day <= toDay; ++day)
        days.push_back(exceptionsOn(plant, persons, day, settings));
    return days;
}

} // namespace nxa::analysis
