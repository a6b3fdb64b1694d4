#include "analysis/DriftWatch.h"

#include "analysis/LimitsInForce.h"
#include "analysis/Median.h"
#include "analysis/SortedAccesses.h"
#include "analysis/TheilSen.h"

#include <array>
#include <cmath>
#include <limits>

namespace nxa::analysis {

namespace {

constexpr std::array kMeasures{Measure::WristStrap, Measure::LeftShoe, Measure::RightShoe,
                               Measure::BothFeet};

std::int32_t valueOf(const Access &access, Measure measure) {
    switch (measure) {
    case Measure::WristStrap:
        return access.wsKohm;
    case Measure::LeftShoe:
        return access.lKohm;
    case Measure::RightShoe:
        return access.rKohm;
    case Measure::BothFeet:
        return access.lrKohm;
    }
    return kNotMeasured;
}

// A reading of 0 kOhm is below the tester's resolution; taking it as 1 kOhm
// keeps the logarithm finite without moving any value a limit can hold.
double logKohm(std::int32_t kohm) {
    return std::log10(std::max<std::int32_t>(kohm, 1));
}

struct Watched {
    std::array<bool, kMeasures.size()> measured{};
    std::array<Range, kMeasures.size()> ranges{};
    bool limitsKnown = false;
};

// The measures the person's profile checks under the configuration of their
// latest access; without a known configuration, every measure the data holds.
Watched watchedMeasures(const Plant &plant, std::span<const Access> window) {
    Watched watched;
    const Access &last = window.back();
    const LimitsSnapshot *snapshot = snapshotInForce(plant, last.tester, last.day);
    const std::optional<int> profile = snapshot ? profileOf(*snapshot, last) : std::nullopt;
    if (!profile) {
        for (const Access &access : window)
            for (std::size_t m = 0; m < kMeasures.size(); ++m)
                watched.measured[m] = watched.measured[m] || valueOf(access, kMeasures[m]) >= 0;
        return watched;
    }
    watched.limitsKnown = true;
    const ProfileLimits &limits = snapshot->profiles[static_cast<std::size_t>(*profile)];
    auto watch = [&](Measure measure, const Range &range) {
        watched.measured[static_cast<std::size_t>(measure)] = true;
        watched.ranges[static_cast<std::size_t>(measure)] = range;
    };
    if (snapshot->mode == Mode::HandFree) {
        watch(Measure::BothFeet, limits.footwear);
        return watched;
    }
    if (limits.check != Check::Shoes)
        watch(Measure::WristStrap, limits.wristStrap);
    if (limits.check != Check::WristStrap) {
        watch(Measure::LeftShoe, limits.footwear);
        watch(Measure::RightShoe, limits.footwear);
    }
    return watched;
}

struct Scratch {
    std::vector<double> x;
    std::vector<double> y;
    std::vector<double> dayValues;
    TrendScratch trend;
};

// The daily medians of one measure, x counted in days from the day analysed.
void dailyMedians(std::span<const Access> window, Measure measure, int day, Scratch &scratch) {
    scratch.x.clear();
    scratch.y.clear();
    forEachRun(window, samePersonDay, [&](std::span<const Access> accesses) {
        scratch.dayValues.clear();
        for (const Access &access : accesses)
            if (const std::int32_t kohm = valueOf(access, measure); kohm >= 0)
                scratch.dayValues.push_back(logKohm(kohm));
        if (scratch.dayValues.empty())
            return;
        scratch.x.push_back(accesses.front().day - day);
        scratch.y.push_back(median(scratch.dayValues));
    });
}

void projectCrossing(DriftResult &result, const TrendLine &line) {
    const Range &range = result.range;
    const double level = line.at(0);
    if (line.slope > 0 && range.maxKohm && *range.maxKohm > 0) {
        result.crossingSide = LimitSide::Max;
        result.daysToCrossing =
            std::max(0.0, (std::log10(static_cast<double>(*range.maxKohm)) - level) / line.slope);
    } else if (line.slope < 0 && range.minKohm && *range.minKohm > 0) {
        result.crossingSide = LimitSide::Min;
        result.daysToCrossing =
            std::max(0.0, (std::log10(static_cast<double>(*range.minKohm)) - level) / line.slope);
    }
}

std::optional<LimitSide> nearLimit(const Range &range, double kohm, double factor) {
    if (range.maxKohm && kohm * factor >= static_cast<double>(*range.maxKohm))
        return LimitSide::Max;
    if (range.minKohm && kohm <= static_cast<double>(*range.minKohm) * factor)
        return LimitSide::Min;
    return std::nullopt;
}

DriftResult watchMeasure(const Scratch &series, Measure measure, bool limitsKnown,
                         const Range &range, int day, const AnalysisSettings &settings,
                         TrendScratch &trend) {
    DriftResult result;
    result.measure = measure;
    result.limitsKnown = limitsKnown;
    result.range = range;
    result.daysUsed = static_cast<int>(series.x.size());
    result.firstDay = day + static_cast<int>(series.x.front());
    result.lastDay = day + static_cast<int>(series.x.back());
    result.fitted = result.daysUsed >= std::max(settings.driftMinimumDays, 2);
    if (!result.fitted)
        return result;

    double ewma = series.y.front();
    for (double value : series.y)
        ewma = settings.ewmaLambda * value + (1 - settings.ewmaLambda) * ewma;
    result.lastEwmaKohm = std::pow(10.0, ewma);
    if (!settings.fitEveryTrend && !trendSignificant(series.x, series.y, kZ95, trend)) {
        constexpr double unknown = std::numeric_limits<double>::quiet_NaN();
        result.slopePerDay = result.slopeLow = result.slopeHigh = result.lineKohm = unknown;
        if (limitsKnown)
            result.nearSide = nearLimit(range, result.lastEwmaKohm, settings.nearLimitFactor);
        return result;
    }

    const TrendLine line = theilSen(series.x, series.y, kZ95, trend);
    result.slopePerDay = line.slope;
    result.slopeLow = line.slopeLow;
    result.slopeHigh = line.slopeHigh;
    result.significant = line.significant();
    result.lineKohm = std::pow(10.0, line.at(0));
    if (!limitsKnown)
        return result;

    projectCrossing(result, line);
    result.crossingSoon = result.significant && result.daysToCrossing &&
                          *result.daysToCrossing <= settings.crossingWithinDays;
    result.nearSide = nearLimit(range, result.lastEwmaKohm, settings.nearLimitFactor);
    return result;
}

} // namespace

std::vector<DriftResult> driftWatch(const Plant &plant, int day, const AnalysisSettings &settings) {
    const SortedAccesses sorted(plant.accesses);
    const int windowFrom = day - settings.driftWindowDays + 1;
    std::vector<DriftResult> results;
    Scratch scratch;
    forEachRun(sorted.all(), samePerson, [&](std::span<const Access> person) {
        auto from = std::partition_point(person.begin(), person.end(),
                                         [&](const Access &a) { return a.day < windowFrom; });
        auto to =
            std::partition_point(from, person.end(), [&](const Access &a) { return a.day <= day; });
        const std::span<const Access> window(from, to);
        if (window.empty())
            return;
        const Watched watched = watchedMeasures(plant, window);
        for (std::size_t m = 0; m < kMeasures.size(); ++m) {
            if (!watched.measured[m])
                continue;
            dailyMedians(window, kMeasures[m], day, scratch);
            if (scratch.x.empty())
                continue;
            DriftResult result = watchMeasure(scratch, kMeasures[m], watched.limitsKnown,
                                              watched.ranges[m], day, settings, scratch.trend);
            result.tester = person.front().tester;
            result.user = person.front().user;
            results.push_back(result);
        }
    });
    return results;
}

} // namespace nxa::analysis
