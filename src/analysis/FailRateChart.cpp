#include "analysis/FailRateChart.h"

#include <algorithm>
#include <cmath>

namespace nxa::analysis {

FailRateChart failRateChart(int tester, const std::vector<TesterDayCount> &counts, double sigmas) {
    FailRateChart chart;
    chart.tester = tester;
    for (const TesterDayCount &count : counts) {
        chart.attempts += count.attempts;
        chart.fails += count.fails;
    }
    if (chart.attempts == 0)
        return chart;
    const double p = static_cast<double>(chart.fails) / chart.attempts;
    chart.meanRate = p;
    for (const TesterDayCount &count : counts) {
        const double spread = sigmas * std::sqrt(p * (1 - p) / count.attempts);
        FailRateDay day{count.day,
                        count.attempts,
                        count.fails,
                        static_cast<double>(count.fails) / count.attempts,
                        std::max(0.0, p - spread),
                        std::min(1.0, p + spread)};
        chart.days.push_back(day);
        if (day.outside())
            chart.daysOutside.push_back(day.day);
    }
    return chart;
}

std::vector<FailRateChart> failRateCharts(const Plant &plant, const AnalysisSettings &settings) {
    const auto counts = countsPerTesterDay(plant);
    std::vector<FailRateChart> charts;
    charts.reserve(counts.size());
    for (std::size_t t = 0; t < counts.size(); ++t)
        charts.push_back(failRateChart(static_cast<int>(t), counts[t], settings.controlSigmas));
    return charts;
}

} // namespace nxa::analysis
