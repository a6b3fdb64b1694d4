#pragma once

#include <span>
#include <vector>

namespace nxa::analysis {

// A straight line fitted by Theil-Sen: the median of all pairwise slopes, and
// the median intercept. The interval is the distribution-free one from
// Kendall's tau: with N pairwise slopes and S's tie-corrected variance,
// C = z * sqrt(Var S), the bounds are the ((N - C) / 2)-th and
// ((N + C) / 2 + 1)-th smallest slopes. Ranks are rounded outwards, so the
// interval never claims more confidence than asked for; a rank that falls
// outside the slopes leaves that side unbounded (infinite).
struct TrendLine {
    int points = 0;
    double slope = 0;
    double intercept = 0; // the line's value at x = 0
    double slopeLow = 0;
    double slopeHigh = 0;
    bool significant() const { return slopeLow > 0 || slopeHigh < 0; }
    double at(double x) const { return intercept + slope * x; }
};

// The two-sided 95 % normal quantile.
inline constexpr double kZ95 = 1.959963984540054;

// Buffers reused between fits, so that fitting many short series allocates once.
struct TrendScratch {
    std::vector<double> slopes;
    std::vector<double> values;
    std::vector<double> band;
};

// x should hold distinct values (pairs of equal x carry no slope and are
// skipped); at least two points are needed for a slope.
TrendLine theilSen(std::span<const double> x, std::span<const double> y, double z,
                   TrendScratch &scratch);

// theilSen(x, y, z, scratch).significant(), from the signs of the pairwise
// slopes alone: a slope's rank among them only matters against zero, so no
// slope is stored or selected. For callers that need the verdict of many
// series and the line of the few that drift.
bool trendSignificant(std::span<const double> x, std::span<const double> y, double z,
                      TrendScratch &scratch);

} // namespace nxa::analysis
