#include "analysis/TesterFunnel.h"

#include "analysis/TesterDays.h"

#include <algorithm>
#include <cmath>

namespace nxa::analysis {

namespace {

// Two-sided normal quantiles of the funnel's limits.
constexpr double kZ95 = 1.959963984540054;
constexpr double kZ998 = 3.090232306167813;
// Over-dispersion is estimated from z-scores winsorised at these shares.
constexpr double kWinsorShare = 0.1;

double sigmaOf(double rate, int tests) {
    return std::sqrt(rate * (1 - rate) / tests);
}

// Spiegelhalter's multiplicative over-dispersion: the mean square of the
// testers' z-scores, winsorised so that the testers being looked for do not
// widen their own limits.
double overdispersionOf(const std::vector<FunnelPoint> &points, double rate) {
    std::vector<double> z;
    for (const FunnelPoint &p : points)
        if (p.standing != FunnelStanding::TooFewTests)
            z.push_back((p.rate - rate) / sigmaOf(rate, p.tests));
    if (z.empty())
        return 1;
    std::sort(z.begin(), z.end());
    const auto cut =
        static_cast<std::size_t>(std::floor(kWinsorShare * static_cast<double>(z.size())));
    const double low = z[cut];
    const double high = z[z.size() - 1 - cut];
    double sum = 0;
    for (double v : z) {
        const double w = std::clamp(v, low, high);
        sum += w * w;
    }
    return std::max(1.0, sum / static_cast<double>(z.size()));
}

void setLimits(FunnelPoint &p, double rate, double phi) {
    const double sigma = std::sqrt(phi) * sigmaOf(rate, p.tests);
    p.lower95 = std::max(0.0, rate - kZ95 * sigma);
    p.upper95 = std::min(1.0, rate + kZ95 * sigma);
    p.lower998 = std::max(0.0, rate - kZ998 * sigma);
    p.upper998 = std::min(1.0, rate + kZ998 * sigma);
    if (p.standing == FunnelStanding::TooFewTests)
        return;
    if (p.rate > p.upper998 || p.rate < p.lower998)
        p.standing = FunnelStanding::Outside;
    else if (p.rate > p.upper95 || p.rate < p.lower95)
        p.standing = FunnelStanding::Warning;
    else
        p.standing = FunnelStanding::Inside;
}

} // namespace

TesterFunnel testerFunnel(const Plant &plant, int day, const AnalysisSettings &settings) {
    TesterFunnel funnel;
    funnel.toDay = day;
    funnel.fromDay = day - std::max(settings.funnelDays, 1) + 1;
    const auto counts = countsPerTesterDay(plant);
    for (std::size_t t = 0; t < counts.size(); ++t) {
        FunnelPoint point;
        point.tester = static_cast<int>(t);
        for (const TesterDayCount &c : counts[t])
            if (c.day >= funnel.fromDay && c.day <= day) {
                point.tests += c.attempts;
                point.fails += c.fails;
            }
        if (point.tests == 0)
            continue;
        point.rate = static_cast<double>(point.fails) / point.tests;
        funnel.tests += point.tests;
        funnel.fails += point.fails;
        funnel.testers.push_back(point);
    }
    if (funnel.tests == 0)
        return funnel;
    const double rate = static_cast<double>(funnel.fails) / funnel.tests;
    funnel.plantRate = rate;
    // The normal limits need enough fails and passes to be expected.
    for (FunnelPoint &p : funnel.testers)
        if (p.tests * std::min(rate, 1 - rate) >= settings.funnelMinimumExpectedFails)
            p.standing = FunnelStanding::Inside;
    const auto compared =
        std::count_if(funnel.testers.begin(), funnel.testers.end(), [](const FunnelPoint &p) {
            return p.standing != FunnelStanding::TooFewTests;
        });
    if (compared >= settings.funnelOverdispersionMinimumTesters)
        funnel.overdispersion = overdispersionOf(funnel.testers, rate);
    for (FunnelPoint &p : funnel.testers)
        setLimits(p, rate, funnel.overdispersion);
    return funnel;
}

} // namespace nxa::analysis
