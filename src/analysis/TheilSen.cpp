#include "analysis/TheilSen.h"

#include "analysis/Median.h"
#include "analysis/SlopeSelection.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace nxa::analysis {

namespace {

// Var S of Mann-Kendall with tied groups of y: (n(n-1)(2n+5) - sum t(t-1)(2t+5)) / 18.
double kendallVariance(std::span<const double> y, std::vector<double> &scratch) {
    scratch.assign(y.begin(), y.end());
    std::sort(scratch.begin(), scratch.end());
    const double n = static_cast<double>(y.size());
    double variance = n * (n - 1) * (2 * n + 5);
    for (std::size_t i = 0; i < scratch.size();) {
        std::size_t j = i + 1;
        while (j < scratch.size() && scratch[j] == scratch[i])
            ++j;
        const double t = static_cast<double>(j - i);
        variance -= t * (t - 1) * (2 * t + 5);
        i = j;
    }
    return variance / 18;
}

// The ranks of the interval's bounds among `slopes` pairwise slopes.
std::pair<double, double> intervalRanks(std::size_t slopes, std::span<const double> y, double z,
                                        std::vector<double> &scratch) {
    const double c = z * std::sqrt(kendallVariance(y, scratch));
    return {std::floor((static_cast<double>(slopes) - c) / 2),
            std::ceil((static_cast<double>(slopes) + c) / 2 + 1)};
}

} // namespace

bool trendSignificant(std::span<const double> x, std::span<const double> y, double z,
                      TrendScratch &scratch) {
    const std::size_t n = std::min(x.size(), y.size());
    std::size_t slopes = 0, negative = 0, notPositive = 0;
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j) {
            if (x[j] == x[i])
                continue;
            const double slope = (y[j] - y[i]) / (x[j] - x[i]);
            ++slopes;
            negative += slope < 0 ? 1 : 0;
            notPositive += slope <= 0 ? 1 : 0;
        }
    if (slopes == 0)
        return false;
    const auto [lowerRank, upperRank] = intervalRanks(slopes, y.first(n), z, scratch.values);
    // The lower bound is above zero when fewer slopes than its rank are not;
    // the upper bound is below zero when at least its rank of them are.
    const bool lowAboveZero = lowerRank >= 1 && static_cast<double>(notPositive) < lowerRank;
    const bool highBelowZero =
        upperRank <= static_cast<double>(slopes) && static_cast<double>(negative) >= upperRank;
    return lowAboveZero || highBelowZero;
}

TrendLine theilSen(std::span<const double> x, std::span<const double> y, double z,
                   TrendScratch &scratch) {
    constexpr double infinity = std::numeric_limits<double>::infinity();
    TrendLine line;
    line.points = static_cast<int>(std::min(x.size(), y.size()));
    const std::size_t n = static_cast<std::size_t>(line.points);
    line.slopeLow = -infinity;
    line.slopeHigh = infinity;

    std::vector<double> &pairSlopes = scratch.slopes;
    pairSlopes.clear();
    if (std::adjacent_find(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(n),
                           [](double a, double b) { return !(a < b); }) ==
        x.begin() + static_cast<std::ptrdiff_t>(n)) {
        // Days in order, as a series of daily figures comes: every pair has a
        // slope, so each row of them is one loop without a branch, which the
        // compiler runs on several pairs at once.
        pairSlopes.resize(n * (n - 1) / 2);
        double *out = pairSlopes.data();
        for (std::size_t i = 0; i < n; ++i) {
            const double xi = x[i], yi = y[i];
            for (std::size_t j = i + 1; j < n; ++j)
                *out++ = (y[j] - yi) / (x[j] - xi);
        }
    } else {
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = i + 1; j < n; ++j)
                if (x[j] != x[i])
                    pairSlopes.push_back((y[j] - y[i]) / (x[j] - x[i]));
    }
    if (pairSlopes.empty()) {
        line.slope = 0;
        line.intercept = n > 0 ? y[0] : 0;
        return line;
    }
    const std::size_t slopes = pairSlopes.size();
    std::vector<double> &work = scratch.values;
    const auto [lowerRank, upperRank] = intervalRanks(slopes, y.first(n), z, work);
    SlopeRanks ranks;
    ranks.upperMiddle = slopes / 2 + 1;
    ranks.lowerMiddle = slopes % 2 == 1 ? ranks.upperMiddle : slopes / 2;
    if (lowerRank >= 1)
        ranks.low = static_cast<std::size_t>(lowerRank);
    if (upperRank <= static_cast<double>(slopes))
        ranks.high = static_cast<std::size_t>(upperRank);

    const SelectedSlopes selected = selectSlopes(pairSlopes, ranks, scratch.band);
    line.slope =
        slopes % 2 == 1 ? selected.upperMiddle : (selected.lowerMiddle + selected.upperMiddle) / 2;
    if (ranks.low)
        line.slopeLow = selected.low;
    if (ranks.high)
        line.slopeHigh = selected.high;

    work.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        work[i] = y[i] - line.slope * x[i];
    line.intercept = median(work);
    return line;
}

} // namespace nxa::analysis
