#include "analysis/Retests.h"

#include "analysis/Median.h"

#include <QDate>

#include <algorithm>
#include <cmath>
#include <map>

namespace nxa::analysis {

namespace {

// A distribution while it is being filled: the minutes are kept for quantiles.
struct Accumulator {
    RetestDistribution distribution;
    long long attemptsSum = 0;
    std::vector<double> minutes;

    void add(const PersonDay &day) {
        RetestDistribution &d = distribution;
        if (!day.attemptsToFirstPass) {
            ++d.notPassedDays;
            return;
        }
        const int attempts = *day.attemptsToFirstPass;
        ++d.passedDays;
        attemptsSum += attempts;
        ++d.attemptsToPass[static_cast<std::size_t>(std::clamp(attempts, 1, kAttemptBuckets) - 1)];
        if (attempts < 2)
            return;
        ++d.retestedDays;
        const double m = day.minutesToFirstPass.value_or(0);
        const auto bucket = std::upper_bound(kMinuteEdges.begin(), kMinuteEdges.end(), m);
        ++d.minutesToPass[static_cast<std::size_t>(bucket - kMinuteEdges.begin())];
        minutes.push_back(m);
    }

    RetestDistribution finish() {
        RetestDistribution &d = distribution;
        if (d.passedDays > 0)
            d.meanAttempts = static_cast<double>(attemptsSum) / d.passedDays;
        if (!minutes.empty()) {
            d.medianMinutes = median(minutes);
            // Nearest rank: the smallest value with at least 90 % at or below it.
            const auto rank = static_cast<std::size_t>(std::ceil(0.9 * minutes.size()));
            d.p90Minutes = kthSmallest(minutes, std::max<std::size_t>(rank, 1));
        }
        return d;
    }
};

} // namespace

Retests retests(const std::vector<PersonDay> &days) {
    Accumulator overall;
    std::array<Accumulator, 24> byHour;
    std::map<int, Accumulator> byMonth; // year * 12 + month - 1
    int cachedDay = 0;
    int cachedMonth = 0;
    bool cached = false;
    for (const PersonDay &day : days) {
        overall.add(day);
        byHour[static_cast<std::size_t>(std::clamp(day.first.second / 3600, 0, 23))].add(day);
        if (!cached || day.day != cachedDay) {
            const QDate date = QDate::fromJulianDay(day.day);
            cachedDay = day.day;
            cachedMonth = date.year() * 12 + date.month() - 1;
            cached = true;
        }
        byMonth[cachedMonth].add(day);
    }
    Retests result;
    result.overall = overall.finish();
    for (std::size_t h = 0; h < byHour.size(); ++h)
        result.byHour[h] = byHour[h].finish();
    for (auto &[key, accumulator] : byMonth) {
        const int year = key >= 0 ? key / 12 : (key - 11) / 12;
        result.byMonth.push_back({year, key - year * 12 + 1, accumulator.finish()});
    }
    return result;
}

} // namespace nxa::analysis
