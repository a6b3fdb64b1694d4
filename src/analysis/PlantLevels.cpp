#include "analysis/PlantLevels.h"

#include "analysis/LogKohm.h"
#include "analysis/Median.h"
#include "analysis/SortedAccesses.h"

#include <algorithm>

namespace nxa::analysis {

namespace {

// A person's daily median of one measure, less their own median over the window.
struct Deviation {
    int tester = 0;
    int dayIndex = 0;
    double value = 0;
};

struct Collected {
    std::array<std::vector<Deviation>, kLevelMeasures> deviations;
};

void addReading(std::vector<double> &values, std::int32_t kohm) {
    if (kohm >= 0)
        values.push_back(logKohm(kohm));
}

// Every person's daily medians of both measures, as deviations from their own
// median: the plant's level then does not move when other persons come.
Collected collect(const Plant &plant, int fromDay, int toDay) {
    Collected collected;
    const SortedAccesses sorted(plant.accesses);
    std::array<std::vector<Deviation>, kLevelMeasures> person;
    std::array<std::vector<double>, kLevelMeasures> dayValues;
    std::vector<double> work;
    forEachRun(sorted.all(), samePerson, [&](std::span<const Access> accesses) {
        const int tester = accesses.front().tester;
        if (tester < 0 || static_cast<std::size_t>(tester) >= plant.testers.size())
            return;
        auto from = std::partition_point(accesses.begin(), accesses.end(),
                                         [&](const Access &a) { return a.day < fromDay; });
        auto to = std::partition_point(from, accesses.end(),
                                       [&](const Access &a) { return a.day <= toDay; });
        for (auto &list : person)
            list.clear();
        forEachRun(std::span<const Access>(from, to), samePersonDay,
                   [&](std::span<const Access> day) {
                       for (auto &values : dayValues)
                           values.clear();
                       for (const Access &a : day) {
                           addReading(dayValues[0], a.wsKohm);
                           addReading(dayValues[1], a.lKohm);
                           addReading(dayValues[1], a.rKohm);
                           addReading(dayValues[1], a.lrKohm);
                       }
                       for (std::size_t m = 0; m < kLevelMeasures; ++m)
                           if (!dayValues[m].empty())
                               person[m].push_back(
                                   {tester, day.front().day - fromDay, median(dayValues[m])});
                   });
        for (std::size_t m = 0; m < kLevelMeasures; ++m) {
            if (person[m].empty())
                continue;
            work.clear();
            for (const Deviation &d : person[m])
                work.push_back(d.value);
            const double own = median(work);
            for (Deviation d : person[m]) {
                d.value -= own;
                collected.deviations[m].push_back(d);
            }
        }
    });
    return collected;
}

// The median of each day's values where it has enough of them.
LevelSeries dailyMedians(std::vector<std::vector<double>> &byDay, int fromDay, int minimum) {
    LevelSeries series;
    for (std::size_t d = 0; d < byDay.size(); ++d) {
        if (byDay[d].empty() || static_cast<int>(byDay[d].size()) < minimum)
            continue;
        series.days.push_back(fromDay + static_cast<int>(d));
        series.values.push_back(median(byDay[d]));
    }
    return series;
}

// The value in force on every day of the window: the last estimate on or
// before it, or the first one for the days before any.
std::vector<double> filled(const std::vector<double> &days, const std::vector<double> &values,
                           int fromDay, int span) {
    std::vector<double> out(static_cast<std::size_t>(span), values.empty() ? 0 : values.front());
    std::size_t next = 0;
    double current = out.empty() ? 0 : out.front();
    for (int d = 0; d < span; ++d) {
        while (next < days.size() && days[next] <= fromDay + d)
            current = values[next++];
        out[static_cast<std::size_t>(d)] = current;
    }
    return out;
}

// The rolling median of the last `count` centres up to each estimate.
std::vector<double> rolling(const std::vector<double> &values, int count) {
    std::vector<double> out;
    std::vector<double> work;
    const auto width = static_cast<std::size_t>(std::max(count, 1));
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::size_t first = i + 1 >= width ? i + 1 - width : 0;
        work.assign(values.begin() + static_cast<std::ptrdiff_t>(first),
                    values.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        out.push_back(median(work));
    }
    return out;
}

} // namespace

double PlantLevels::common(LevelMeasure measure, int tester, int day) const {
    const auto m = static_cast<std::size_t>(measure);
    const int index = day - fromDay;
    if (index < 0 || static_cast<std::size_t>(index) >= plantFilled[m].size())
        return 0;
    const auto d = static_cast<std::size_t>(index);
    double level = plantFilled[m][d];
    if (tester >= 0 && static_cast<std::size_t>(tester) < testerFilled[m].size())
        level += testerFilled[m][static_cast<std::size_t>(tester)][d];
    return level;
}

PlantLevels plantLevels(const Plant &plant, int day, const AnalysisSettings &settings) {
    PlantLevels levels;
    levels.toDay = day;
    levels.fromDay = day - std::max(settings.driftWindowDays, 1) + 1;
    const int span = day - levels.fromDay + 1;
    const std::size_t testers = plant.testers.size();
    Collected collected = collect(plant, levels.fromDay, day);

    for (std::size_t m = 0; m < kLevelMeasures; ++m) {
        std::vector<std::vector<double>> byDay(static_cast<std::size_t>(span));
        for (const Deviation &d : collected.deviations[m])
            byDay[static_cast<std::size_t>(d.dayIndex)].push_back(d.value);
        levels.plant[m] = dailyMedians(byDay, levels.fromDay, settings.levelMinimumPersons);
        levels.plantFilled[m] =
            filled(levels.plant[m].days, levels.plant[m].values, levels.fromDay, span);

        std::vector<std::vector<std::vector<double>>> byTesterDay(
            testers, std::vector<std::vector<double>>(static_cast<std::size_t>(span)));
        for (const Deviation &d : collected.deviations[m])
            byTesterDay[static_cast<std::size_t>(d.tester)][static_cast<std::size_t>(d.dayIndex)]
                .push_back(d.value - levels.plantFilled[m][static_cast<std::size_t>(d.dayIndex)]);
        levels.testers[m].resize(testers);
        levels.testerFilled[m].resize(testers);
        for (std::size_t t = 0; t < testers; ++t) {
            LevelSeries &centres = levels.testers[m][t];
            centres =
                dailyMedians(byTesterDay[t], levels.fromDay, settings.testerLevelMinimumPersons);
            levels.testerFilled[m][t] =
                filled(centres.days, rolling(centres.values, settings.testerLevelDays),
                       levels.fromDay, span);
        }
    }

    for (std::size_t m = 0; m < kLevelMeasures; ++m)
        if (auto change = levelChange(levels.plant[m].days, levels.plant[m].values, settings))
            levels.shifts.push_back({static_cast<LevelMeasure>(m), -1, *change});
    for (std::size_t t = 0; t < testers; ++t)
        for (std::size_t m = 0; m < kLevelMeasures; ++m) {
            const LevelSeries &centres = levels.testers[m][t];
            if (auto change = levelChange(centres.days, centres.values, settings))
                levels.shifts.push_back(
                    {static_cast<LevelMeasure>(m), static_cast<int>(t), *change});
        }
    return levels;
}

} // namespace nxa::analysis
