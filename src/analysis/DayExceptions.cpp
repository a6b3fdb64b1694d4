#include "analysis/DayExceptions.h"

#include "analysis/DailyCompliance.h"
#include "analysis/LimitsInForce.h"
#include "analysis/SortedAccesses.h"

#include <QDate>

#include <algorithm>
#include <tuple>
#include <unordered_map>

namespace nxa::analysis {

namespace {

// What one person did on the day and in the look-back before it.
struct PersonTrace {
    bool testedOnDay = false;
    std::optional<int> lastSeenBefore;
};

std::int32_t slotKey(int tester, int user) {
    return tester * kUserCount + user;
}

// The roster's persons with the accesses of each of their enrolments.
class RosterIndex {
public:
    RosterIndex(const Plant &plant, const std::vector<std::span<const Access>> &runs) {
        for (std::size_t p = 0; p < plant.roster.size(); ++p)
            for (const RosterPerson::Enrolment &e : plant.roster[p].enrolments)
                m_personOfSlot.emplace(slotKey(e.tester, e.user), static_cast<int>(p));
        m_runs.resize(plant.roster.size());
        for (const std::span<const Access> run : runs) {
            const auto found = m_personOfSlot.find(slotKey(run.front().tester, run.front().user));
            if (found != m_personOfSlot.end())
                m_runs[static_cast<std::size_t>(found->second)].push_back(run);
        }
    }
    bool enrolled(int tester, int user) const {
        return m_personOfSlot.contains(slotKey(tester, user));
    }
    const std::vector<std::span<const Access>> &runsOf(std::size_t person) const {
        return m_runs[person];
    }

private:
    std::unordered_map<std::int32_t, int> m_personOfSlot;
    std::vector<std::vector<std::span<const Access>>> m_runs;
};

// The accesses of a run on `day`.
std::span<const Access> accessesOn(std::span<const Access> run, int day) {
    auto begin = std::partition_point(
        run.begin(), run.end(), [day](const Access &a) { return a.day < day; });
    auto end =
        std::partition_point(begin, run.end(), [day](const Access &a) { return a.day == day; });
    return {begin, end};
}

void addToReview(DayExceptions &result, int tester, int user, bool active, const PersonTrace &trace,
                 int &idle) {
    // -1 marks an enrolled user: the person's own review covers them.
    if (trace.testedOnDay || user < 0)
        return;
    if (trace.lastSeenBefore)
        result.toReview.push_back({tester, user, -1, active, trace.lastSeenBefore});
    else if (active)
        ++idle;
}

// The active users of the table in force, merged in user order with the
// persons the accesses show, so that the list stays sorted without a sort.
void reviewTester(DayExceptions &result, const Plant &plant, const RosterIndex &roster, int tester,
                  const std::vector<std::pair<int, PersonTrace>> &seen) {
    const LimitsSnapshot *snapshot = snapshotInForce(plant, tester, result.day);
    const int tableSize = snapshot ? static_cast<int>(snapshot->users.size()) : 0;
    int idle = 0;
    std::size_t next = 0;
    const auto unlessEnrolled = [&](int user) { return roster.enrolled(tester, user) ? -1 : user; };
    for (int user = 0; user < tableSize; ++user) {
        for (; next < seen.size() && seen[next].first < user; ++next)
            addToReview(result, tester, unlessEnrolled(seen[next].first), false, seen[next].second,
                        idle);
        PersonTrace trace;
        if (next < seen.size() && seen[next].first == user)
            trace = seen[next++].second;
        addToReview(result, tester, unlessEnrolled(user),
                    snapshot->users[static_cast<std::size_t>(user)].active, trace, idle);
    }
    for (; next < seen.size(); ++next)
        addToReview(result, tester, unlessEnrolled(seen[next].first), false, seen[next].second,
                    idle);
    if (idle > 0)
        result.idleActiveUsers.push_back({tester, idle});
}

// Each roster person's day across all of their entrances: failed and not
// passed afterwards at any of them, or expected on a workday and tested at
// none.
void reviewRoster(DayExceptions &result, const Plant &plant, const RosterIndex &roster, int day,
                  const AnalysisSettings &settings) {
    if (plant.roster.empty())
        return;
    const int weekday = QDate::fromJulianDay(day).dayOfWeek() - 1; // Monday 0
    const int lookbackFrom = day - settings.reviewLookbackDays;
    std::vector<Access> today;
    for (std::size_t p = 0; p < plant.roster.size(); ++p) {
        const RosterPerson &person = plant.roster[p];
        today.clear();
        const Access *lastSeen = nullptr;
        for (const std::span<const Access> run : roster.runsOf(p)) {
            const std::span<const Access> onDay = accessesOn(run, day);
            today.insert(today.end(), onDay.begin(), onDay.end());
            if (onDay.data() != run.data()) {
                const Access &before = *std::prev(onDay.begin());
                if (before.day >= lookbackFrom &&
                    (!lastSeen || std::tie(before.day, before.second) >
                                      std::tie(lastSeen->day, lastSeen->second)))
                    lastSeen = &before;
            }
        }
        const int index = static_cast<int>(p);
        if (today.empty()) {
            if (!(person.workdays & (1u << weekday)) || person.enrolments.empty())
                continue;
            const RosterPerson::Enrolment where =
                lastSeen ? RosterPerson::Enrolment{lastSeen->tester, lastSeen->user}
                         : person.enrolments.front();
            const LimitsSnapshot *snapshot = snapshotInForce(plant, where.tester, day);
            const bool active = snapshot && where.user < static_cast<int>(snapshot->users.size()) &&
                                snapshot->users[static_cast<std::size_t>(where.user)].active;
            result.toReview.push_back(
                {where.tester, where.user, index, active,
                 lastSeen ? std::optional<int>(lastSeen->day) : std::nullopt});
            continue;
        }
        // Clocks of two testers may differ a little; the order of the day is
        // the order of their times all the same.
        std::stable_sort(
            today.begin(), today.end(),
            [](const Access &a, const Access &b) { return a.second < b.second; });
        const auto lastFail =
            std::find_if(today.rbegin(), today.rend(), [](const Access &a) { return !a.pass; });
        if (lastFail == today.rend())
            continue;
        const bool passedAfter =
            std::any_of(lastFail.base(), today.end(), [](const Access &a) { return a.pass; });
        if (passedAfter)
            continue;
        const int fails = static_cast<int>(
            std::count_if(today.begin(), today.end(), [](const Access &a) { return !a.pass; }));
        result.failedNotPassed.push_back(
            {lastFail->tester, lastFail->user, index, fails, *lastFail});
    }
    const auto byEntrance = [](const auto &a, const auto &b) {
        return std::tie(a.tester, a.user) < std::tie(b.tester, b.user);
    };
    std::stable_sort(result.failedNotPassed.begin(), result.failedNotPassed.end(), byEntrance);
    std::stable_sort(result.toReview.begin(), result.toReview.end(), byEntrance);
}

// One day's exceptions from the plant's persons, each a run of the sorted
// accesses: a report over a period asks this of every day, and finding the
// runs once keeps that to a few steps per person and day.
DayExceptions exceptionsOn(const Plant &plant, const std::vector<std::span<const Access>> &persons,
                           const RosterIndex &roster, int day, const AnalysisSettings &settings) {
    DayExceptions result;
    result.day = day;
    const int lookbackFrom = day - settings.reviewLookbackDays;

    std::vector<std::pair<int, PersonTrace>> seen; // the current tester's persons, by user
    const int testerCount = static_cast<int>(plant.testers.size());
    int current = -1;
    int nextToReview = 0; // testers before it are reviewed
    auto closeCurrent = [&] {
        if (current >= 0 && current < testerCount) {
            reviewTester(result, plant, roster, current, seen);
            nextToReview = current + 1;
        }
        seen.clear();
    };
    // A tester with a user table but no access still owes its review.
    auto reviewSilentTestersBefore = [&](int tester) {
        for (; nextToReview < std::min(tester, testerCount); ++nextToReview)
            reviewTester(result, plant, roster, nextToReview, {});
    };

    for (const std::span<const Access> person : persons) {
        if (person.front().tester != current) {
            closeCurrent();
            reviewSilentTestersBefore(person.front().tester);
            current = person.front().tester;
        }
        const std::span<const Access> today = accessesOn(person, day);
        PersonTrace trace;
        trace.testedOnDay = !today.empty();
        if (today.data() != person.data() && std::prev(today.begin())->day >= lookbackFrom)
            trace.lastSeenBefore = std::prev(today.begin())->day;
        seen.emplace_back(person.front().user, trace);

        for (const Access &access : today)
            if (access.relay && !access.pass)
                result.relayWithoutPass.push_back(access);
        // An enrolled person's day is judged over all of their entrances below.
        if (today.empty() || roster.enrolled(person.front().tester, person.front().user))
            continue;
        const PersonDay figures = personDayOf(today);
        if (figures.failedNotPassedAfter) {
            auto lastFail =
                std::find_if(today.rbegin(), today.rend(), [](const Access &a) { return !a.pass; });
            result.failedNotPassed.push_back(
                {figures.tester, figures.user, -1, figures.fails, *lastFail});
        }
    }
    closeCurrent();
    reviewSilentTestersBefore(testerCount);
    reviewRoster(result, plant, roster, day, settings);
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
    const std::vector<std::span<const Access>> persons = personRuns(sorted.all());
    return exceptionsOn(plant, persons, RosterIndex(plant, persons), day, settings);
}

std::vector<DayExceptions> dayExceptions(const Plant &plant, int fromDay, int toDay,
                                         const AnalysisSettings &settings) {
    const SortedAccesses sorted(plant.accesses);
    const std::vector<std::span<const Access>> persons = personRuns(sorted.all());
    const RosterIndex roster(plant, persons);
    std::vector<DayExceptions> days;
    for (int day = fromDay; day <= toDay; ++day)
        days.push_back(exceptionsOn(plant, persons, roster, day, settings));
    return days;
}

} // namespace nxa::analysis
