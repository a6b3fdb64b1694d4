#include "analysis/LevelShift.h"

#include "analysis/Median.h"
#include "analysis/TheilSen.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace nxa::analysis {

namespace {

// The normal sigma from a median absolute value (1 / 0.6745).
constexpr double kMadToSigma = 1.4826;
// The CUSUM's allowance, in noise sigmas and as a share of the smallest
// change: small enough to date a slow drift within a day or two, large
// enough that noise around the baseline keeps the sum at zero.
constexpr double kAllowanceSigmas = 2;
constexpr double kAllowanceShare = 0.0625;

double medianOf(std::span<const double> values) {
    std::vector<double> copy(values.begin(), values.end());
    return median(copy);
}

} // namespace

std::optional<LevelChange> levelChange(std::span<const double> days, std::span<const double> values,
                                       const AnalysisSettings &settings) {
    const std::size_t n = std::min(days.size(), values.size());
    const auto baselineDays = static_cast<std::size_t>(std::max(settings.shiftBaselineDays, 1));
    const auto recentDays = static_cast<std::size_t>(std::max(settings.shiftRecentDays, 1));
    if (n < baselineDays + recentDays)
        return std::nullopt;
    const double baseline = medianOf(values.first(baselineDays));
    const double current = medianOf(values.subspan(n - recentDays, recentDays));
    // Day-to-day differences hold the noise twice and hardly any of a drift.
    std::vector<double> steps;
    for (std::size_t i = 1; i < n; ++i)
        steps.push_back(std::abs(values[i] - values[i - 1]));
    const double noise = kMadToSigma * median(steps) / std::sqrt(2.0);
    const double threshold = std::max(std::log10(std::max(settings.shiftMinimumFactor, 1.0)),
                                      settings.shiftSigmas * noise);
    const double change = current - baseline;
    if (!(std::abs(change) >= threshold) || threshold <= 0)
        return std::nullopt;

    const double sign = change > 0 ? 1 : -1;
    const double allowance = std::max(kAllowanceSigmas * noise, kAllowanceShare * threshold);
    double sum = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < n; ++i) {
        sum = std::max(0.0, sum + sign * (values[i] - baseline) - allowance);
        if (sum == 0)
            start = i + 1;
    }
    start = std::min(start, n - 1);

    LevelChange result;
    result.startDay = static_cast<int>(days[start]);
    result.days = static_cast<int>(n - start);
    result.factor = std::pow(10.0, change);
    TrendScratch scratch;
    const TrendLine line =
        theilSen(days.subspan(start, n - start), values.subspan(start, n - start), kZ95, scratch);
    result.slopePerDay = line.slope;
    result.sloping = line.points > 2 && line.significant();
    return result;
}

} // namespace nxa::analysis
