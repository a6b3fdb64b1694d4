#include "analysis/TesterHealth.h"

#include "analysis/TesterDays.h"

#include <QDateTime>

#include <algorithm>

namespace nxa::analysis {

namespace {

// Access days are the tester's local dates, so a collection time is read in
// local time too.
int localDayOf(std::int64_t ms) {
    return static_cast<int>(QDateTime::fromMSecsSinceEpoch(ms).date().toJulianDay());
}

void readCollections(TesterHealth &health, const TesterInput &input, const Plant &plant,
                     const AnalysisSettings &settings) {
    for (const CollectionAttempt &attempt : input.attempts) {
        if (!attempt.succeeded)
            continue;
        if (!health.lastSuccessMs || attempt.startedMs >= *health.lastSuccessMs)
            health.lastSuccessMs = attempt.startedMs;
        if (attempt.imageRecords >= 0) {
            health.imageRecords = attempt.imageRecords;
            health.fullness = static_cast<double>(attempt.imageRecords) / kDataloggerCapacity;
        }
    }
    health.silentByCollection =
        !health.lastSuccessMs || plant.nowMs - *health.lastSuccessMs > settings.silentAfterMs;
}

void findQuietDays(TesterHealth &health, const std::vector<TesterDayCount> &days, int streak) {
    if (days.empty() || streak < 1)
        return;
    int knownUntil = days.back().day;
    if (health.lastSuccessMs)
        knownUntil = std::max(knownUntil, localDayOf(*health.lastSuccessMs) - 1);
    int run = 0; // consecutive days with traffic before the day looked at
    std::size_t next = 0;
    for (int day = days.front().day; day <= knownUntil; ++day) {
        const bool traffic = next < days.size() && days[next].day == day;
        if (traffic) {
            ++next;
            ++run;
            continue;
        }
        if (run >= streak)
            health.quietDays.push_back(day);
        run = 0;
        // A long gap is skipped in one step rather than day by day.
        if (next < days.size())
            day = days[next].day - 1;
        else
            break;
    }
}

} // namespace

std::vector<TesterHealth> testerHealth(const Plant &plant, const AnalysisSettings &settings) {
    const auto counts = countsPerTesterDay(plant);
    std::vector<TesterHealth> result(plant.testers.size());
    for (std::size_t t = 0; t < plant.testers.size(); ++t) {
        TesterHealth &health = result[t];
        health.tester = static_cast<int>(t);
        health.failRate = failRateControl(health.tester, counts[t], settings.controlSigmas);
        readCollections(health, plant.testers[t], plant, settings);
        findQuietDays(health, counts[t], settings.trafficStreakDays);
    }
    return result;
}

} // namespace nxa::analysis
