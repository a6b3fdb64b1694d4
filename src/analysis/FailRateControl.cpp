#include "analysis/FailRateControl.h"

#include <algorithm>
#include <cmath>

namespace nxa::analysis {

FailRateControl failRateControl(int tester, const std::vector<TesterDayCount> &counts,
                                double sigmas) {
    FailRateControl control;
    control.tester = tester;
    for (const TesterDayCount &count : counts) {
        control.attempts += count.attempts;
        control.fails += count.fails;
    }
    if (control.attempts == 0)
        return control;
    const double p = static_cast<double>(control.fails) / control.attempts;
    control.meanRate = p;
    for (const TesterDayCount &count : counts) {
        const double spread = sigmas * std::sqrt(p * (1 - p) / count.attempts);
        FailRateDay day{count.day,
                        count.attempts,
                        count.fails,
                        static_cast<double>(count.fails) / count.attempts,
                        std::max(0.0, p - spread),
                        std::min(1.0, p + spread)};
        control.days.push_back(day);
        if (day.outside())
            control.daysOutside.push_back(day.day);
    }
    return control;
}

std::vector<FailRateControl> failRateControls(const Plant &plant,
                                              const AnalysisSettings &settings) {
    const auto counts = countsPerTesterDay(plant);
    std::vector<FailRateControl> controls;
    controls.reserve(counts.size());
    for (std::size_t t = 0; t < counts.size(); ++t)
        controls.push_back(failRateControl(static_cast<int>(t), counts[t], settings.controlSigmas));
    return controls;
}

} // namespace nxa::analysis
