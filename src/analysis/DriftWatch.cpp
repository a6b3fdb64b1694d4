#include "analysis/DriftWatch.h"

#include "analysis/LimitsInForce.h"
#include "analysis/LogKohm.h"
#include "analysis/Median.h"
#include "analysis/PlantLevels.h"
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

LevelMeasure levelMeasureOf(Measure measure) {
    return measure == Measure::WristStrap ? LevelMeasure::WristStrap : LevelMeasure::Footwear;
}

// A fall that a step down explains better than a line (new shoes, a new
// strap) is no drift: the fit must leave this much less of the data
// unexplained than the line does.
constexpr double kStepFitShare = 0.5;

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
    std::vector<double> y; // the daily medians, log10
    std::vector<double> r; // the same less the plant's level and the tester's offset
    std::vector<double> dayValues;
    TrendScratch trend;
};

// The daily medians of one measure, x counted in days from the day analysed,
// and what is left of them after the levels every person shares.
void dailyMedians(std::span<const Access> window, Measure measure, int day,
                  const PlantLevels &levels, Scratch &scratch) {
    scratch.x.clear();
    scratch.y.clear();
    scratch.r.clear();
    forEachRun(window, samePersonDay, [&](std::span<const Access> accesses) {
        scratch.dayValues.clear();
        for (const Access &access : accesses)
            if (const std::int32_t kohm = valueOf(access, measure); kohm >= 0)
                scratch.dayValues.push_back(logKohm(kohm));
        if (scratch.dayValues.empty())
            return;
        const Access &first = accesses.front();
        scratch.x.push_back(first.day - day);
        scratch.y.push_back(median(scratch.dayValues));
        scratch.r.push_back(scratch.y.back() -
                            levels.common(levelMeasureOf(measure), first.tester, first.day));
    });
}

double sumOfDistances(std::span<const double> x, std::span<const double> y, double intercept,
                      double slope) {
    double sum = 0;
    for (std::size_t i = 0; i < y.size(); ++i)
        sum += std::abs(y[i] - intercept - slope * x[i]);
    return sum;
}

// Where a single step down explains a falling series better than its line:
// the first index after the step, or none.
std::optional<std::size_t> stepDown(std::span<const double> x, std::span<const double> r,
                                    const TrendLine &line, std::vector<double> &work) {
    const double lineDistance = sumOfDistances(x, r, line.intercept, line.slope);
    std::optional<std::size_t> best;
    double bestDistance = kStepFitShare * lineDistance;
    for (std::size_t k = 2; k + 2 <= r.size(); ++k) {
        work.assign(r.begin(), r.begin() + static_cast<std::ptrdiff_t>(k));
        const double before = median(work);
        work.assign(r.begin() + static_cast<std::ptrdiff_t>(k), r.end());
        const double after = median(work);
        if (after >= before)
            continue;
        const double distance = sumOfDistances(x.first(k), r.first(k), before, 0) +
                                sumOfDistances(x.subspan(k), r.subspan(k), after, 0);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = k;
        }
    }
    return best;
}

void projectCrossing(DriftResult &result, const TrendLine &line, double level) {
    const Range &range = result.range;
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
                         TrendScratch &trend, std::vector<double> &work) {
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

    // The limits hold the real values: the smoothed level is the reading's own.
    double ewma = series.y.front();
    for (double value : series.y)
        ewma = settings.ewmaLambda * value + (1 - settings.ewmaLambda) * ewma;
    result.lastEwmaKohm = std::pow(10.0, ewma);
    if (limitsKnown)
        result.nearSide = nearLimit(range, result.lastEwmaKohm, settings.nearLimitFactor);
    constexpr double unknown = std::numeric_limits<double>::quiet_NaN();
    auto leaveUnfitted = [&] {
        result.slopePerDay = result.slopeLow = result.slopeHigh = result.lineKohm = unknown;
        result.significant = false;
    };
    // Whether the person drifts is read from the residual: what the plant and
    // the tester add to every reading is not theirs.
    std::span<const double> x = series.x, r = series.r, y = series.y;
    if (!settings.fitEveryTrend && !trendSignificant(x, r, kZ95, trend)) {
        leaveUnfitted();
        return result;
    }
    TrendLine line = theilSen(x, r, kZ95, trend);
    if (line.significant() && line.slope < 0) {
        if (const std::optional<std::size_t> step = stepDown(x, r, line, work)) {
            result.stepDownDay = day + static_cast<int>(x[*step]);
            x = x.subspan(*step);
            r = r.subspan(*step);
            y = y.subspan(*step);
            if (static_cast<int>(x.size()) < std::max(settings.driftMinimumDays, 2)) {
                leaveUnfitted();
                return result;
            }
            line = theilSen(x, r, kZ95, trend);
        }
    }
    result.significant = line.significant();
    // Whether the person drifts came from the residual; where their readings
    // go, and when they cross a limit, is read from the readings themselves:
    // in dry air a drifting person fails sooner.
    line = theilSen(x, y, kZ95, trend);
    result.slopePerDay = line.slope;
    result.slopeLow = line.slopeLow;
    result.slopeHigh = line.slopeHigh;
    const double level = line.at(0);
    result.lineKohm = std::pow(10.0, level);
    if (!limitsKnown)
        return result;

    projectCrossing(result, line, level);
    result.crossingSoon = result.significant && result.daysToCrossing &&
                          *result.daysToCrossing <= settings.crossingWithinDays;
    return result;
}

} // namespace

std::vector<DriftResult> driftWatch(const Plant &plant, int day, const AnalysisSettings &settings) {
    return driftWatch(plant, day, settings, plantLevels(plant, day, settings));
}

std::vector<DriftResult> driftWatch(const Plant &plant, int day, const AnalysisSettings &settings,
                                    const PlantLevels &levels) {
    const SortedAccesses sorted(plant.accesses);
    std::vector<double> work;
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
            dailyMedians(window, kMeasures[m], day, levels, scratch);
            if (scratch.x.empty())
                continue;
            DriftResult result =
                watchMeasure(scratch, kMeasures[m], watched.limitsKnown, watched.ranges[m], day,
                             settings, scratch.trend, work);
            result.tester = person.front().tester;
            result.user = person.front().user;
            results.push_back(result);
        }
    });
    return results;
}

} // namespace nxa::analysis
