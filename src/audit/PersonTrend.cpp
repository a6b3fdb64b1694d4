#include "audit/PersonTrend.h"

#include "audit/AnalysisTexts.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace nxa::audit {

charts::PersonTrend personTrend(const analysis::Plant &plant,
                                const std::vector<analysis::DriftResult> &drift,
                                const TrendRequest &person, const QString &title) {
    const int tester = person.tester;
    const int user = person.user;
    const int to = person.analysedDay;
    charts::PersonTrend chart;
    chart.title = title;
    chart.firstDay = person.firstDay;
    chart.lastDay = to;
    const auto begin =
        std::lower_bound(plant.accesses.begin(), plant.accesses.end(), std::pair(tester, user),
                         [](const analysis::Access &a, const std::pair<int, int> &p) {
                             return std::pair(a.tester, int(a.user)) < p;
                         });
    for (const analysis::DriftResult &d : drift) {
        if (d.tester != tester || d.user != user || isFootwear(d.measure) != person.footwear)
            continue;
        charts::TrendSeries series;
        series.name = measureName(d.measure);
        std::map<int, std::vector<double>> byDay;
        std::map<int, bool> failed;
        int before = 0;
        for (auto a = begin; a != plant.accesses.end() && a->tester == tester && a->user == user;
             ++a) {
            if (a->day > to || measuredValue(*a, d.measure) < 0)
                continue;
            if (a->day < person.firstDay) {
                ++before;
                continue;
            }
            byDay[a->day].push_back(measuredValue(*a, d.measure));
            failed[a->day] = failed[a->day] || !a->pass;
        }
        chart.readingsBefore = std::max(chart.readingsBefore, before);
        for (auto &[day, values] : byDay) {
            std::sort(values.begin(), values.end());
            const size_t n = values.size();
            const double median =
                n % 2 ? values[n / 2] : std::sqrt(values[n / 2 - 1] * values[n / 2]);
            series.points.push_back({day, median});
            // The median of a day with a fail and a later pass may lie inside
            // the limits: the day's extremes keep the fail in sight.
            if (failed[day])
                series.fails.push_back({day, values.front(), values.back()});
        }
        if (d.significant && std::isfinite(d.lineKohm)) {
            const double level = std::log10(d.lineKohm);
            auto at = [&](int day) { return std::pow(10.0, level + d.slopePerDay * (day - to)); };
            // The line covers the days it was fitted on: after a step down
            // (new shoes), the days after it.
            const int fitFrom = d.stepDownDay.value_or(d.firstDay);
            series.fit = charts::FittedLine{
                QStringLiteral("%1 trend").arg(series.name), {fitFrom, at(fitFrom)}, {to, at(to)}};
            if (d.crossingSoon && d.daysToCrossing && d.crossingSide) {
                const bool max = *d.crossingSide == analysis::LimitSide::Max;
                const auto limit = max ? d.range.maxKohm : d.range.minKohm;
                const int day = analysis::crossingDay(to, *d.daysToCrossing);
                if (limit)
                    series.crossing = charts::DayValue{day, double(*limit)};
            }
        }
        chart.series.push_back(series);
        if (d.limitsKnown && !chart.band && (d.range.minKohm || d.range.maxKohm))
            chart.band = charts::LimitBand{
                QStringLiteral("%1 limits").arg(series.name),
                d.range.minKohm ? std::optional<double>(double(*d.range.minKohm)) : std::nullopt,
                d.range.maxKohm ? std::optional<double>(double(*d.range.maxKohm)) : std::nullopt};
    }
    return chart;
}

} // namespace nxa::audit
