#pragma once

#include <algorithm>
#include <vector>

namespace nxa::analysis {

// The k-th smallest (1-based, 1 <= k <= size) of values; reorders them.
inline double kthSmallest(std::vector<double> &values, std::size_t k) {
    auto nth = values.begin() + static_cast<std::ptrdiff_t>(k - 1);
    std::nth_element(values.begin(), nth, values.end());
    return *nth;
}

// The median of a non-empty set, the mean of the middle two for an even
// count; reorders the values.
inline double median(std::vector<double> &values) {
    const std::size_t n = values.size();
    const double upper = kthSmallest(values, n / 2 + 1);
    if (n % 2 == 1)
        return upper;
    // After the selection no value left of the upper middle is above it.
    const double lower = *std::max_element(values.begin(), values.begin() + n / 2);
    return (lower + upper) / 2;
}

} // namespace nxa::analysis
