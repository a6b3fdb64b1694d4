#pragma once

#include <cstddef>
#include <vector>

namespace nxa::analysis {

// The ranks (1-based among all slopes) a Theil-Sen fit reads: the middle one
// or two, and the interval's bounds when they fall inside the slopes (0: not
// wanted). lowerMiddle <= upperMiddle, low < upperMiddle <= high.
struct SlopeRanks {
    std::size_t lowerMiddle = 0;
    std::size_t upperMiddle = 0;
    std::size_t low = 0;
    std::size_t high = 0;
};

// The slopes of those ranks; low and high only when wanted.
struct SelectedSlopes {
    double lowerMiddle = 0;
    double upperMiddle = 0;
    double low = 0;
    double high = 0;
};

// Selects the order statistics of `slopes` (reordered, not otherwise
// changed). Every rank a fit reads lies in a band around the middle, so the
// selection runs on the slopes of that band alone, found by one pass
// between two bounds taken from a sample; when the sample misses the band
// (or a slope is no number), on all of them. Either way each value is
// exactly the slope of that rank. `band` is scratch space.
SelectedSlopes selectSlopes(std::vector<double> &slopes, const SlopeRanks &ranks,
                            std::vector<double> &band);

} // namespace nxa::analysis
