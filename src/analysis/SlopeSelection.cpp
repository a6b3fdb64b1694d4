#include "analysis/SlopeSelection.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace nxa::analysis {

namespace {

// Fewer slopes than this are selected among all of them: the sample and the
// band pass would cost more than they save.
constexpr std::size_t kBandFrom = 256;

// Moves the values that `before` places ahead of `pivot` to the front and
// returns how many there are. Without a branch on the data: each value is
// swapped with the first that does not go ahead, and that place advances only
// when it does. A comparison of slopes is a coin toss, which a branch would
// mispredict half of the time.
template <class Before> std::size_t partitionAhead(double *first, double *last, Before before) {
    double *store = first;
    for (double *read = first; read < last; ++read) {
        const double value = *read;
        const bool ahead = before(value);
        *read = *store;
        *store = value;
        store += ahead ? 1 : 0;
    }
    return static_cast<std::size_t>(store - first);
}

// std::nth_element's result for values that are all numbers: the k-th
// smallest (0-based) of [first, last) in place, none greater before it,
// none smaller after it.
void selectNth(double *first, double *last, std::size_t k) {
    constexpr std::ptrdiff_t kSortBelow = 24;
    // Median-of-three pivots can be led astray; past this many rounds the
    // library's selection, which cannot, takes over.
    int rounds = 2 * static_cast<int>(std::log2(static_cast<double>(last - first) + 1)) + 8;
    double *const target = first + k;
    while (last - first > kSortBelow) {
        if (--rounds < 0) {
            std::nth_element(first, target, last);
            return;
        }
        const double a = *first, b = first[(last - first) / 2], c = last[-1];
        const double pivot = std::max(std::min(a, b), std::min(std::max(a, b), c));
        double *const equal =
            first + partitionAhead(first, last, [pivot](double v) { return v < pivot; });
        if (target < equal) {
            last = equal;
            continue;
        }
        // The pivot is one of the values: at least one equals it.
        double *const above =
            equal + partitionAhead(equal, last, [pivot](double v) { return !(pivot < v); });
        if (target < above)
            return;
        first = above;
    }
    std::sort(first, last);
}

// The selections within `values`, ranks counted from its start, by `select`
// (nth_element's contract). The middle's selection leaves every value of
// lower rank before it and every one of higher rank after it, so each bound
// searches one side only.
template <class Select>
SelectedSlopes selectWithin(std::vector<double> &values, const SlopeRanks &ranks, Select select) {
    SelectedSlopes selected;
    const auto begin = values.begin();
    const auto middle = begin + static_cast<std::ptrdiff_t>(ranks.upperMiddle - 1);
    select(begin, middle, values.end());
    selected.upperMiddle = *middle;
    selected.lowerMiddle = ranks.lowerMiddle == ranks.upperMiddle
                               ? selected.upperMiddle
                               : *std::max_element(begin, middle);
    if (ranks.low > 0) {
        const auto nth = begin + static_cast<std::ptrdiff_t>(ranks.low - 1);
        select(begin, nth, middle);
        selected.low = *nth;
    }
    if (ranks.high > 0) {
        const auto nth = begin + static_cast<std::ptrdiff_t>(ranks.high - 1);
        if (nth > middle)
            select(middle + 1, nth, values.end());
        selected.high = *nth;
    }
    return selected;
}

using Iterator = std::vector<double>::iterator;

// For slopes that may hold a value that is no number, whose order only the
// library's own selection defines.
SelectedSlopes selectWithLibrary(std::vector<double> &values, const SlopeRanks &ranks) {
    return selectWithin(
        values, ranks,
        [](Iterator first, Iterator nth, Iterator last) { std::nth_element(first, nth, last); });
}

SelectedSlopes selectNumbers(std::vector<double> &values, const SlopeRanks &ranks) {
    return selectWithin(
        values, ranks,
        [](Iterator first, Iterator nth, Iterator last) {
            selectNth(&*first, &*first + (last - first), static_cast<std::size_t>(nth - first));
        });
}

SlopeRanks shifted(SlopeRanks ranks, std::size_t by) {
    ranks.lowerMiddle -= by;
    ranks.upperMiddle -= by;
    if (ranks.low > 0)
        ranks.low -= by;
    if (ranks.high > 0)
        ranks.high -= by;
    return ranks;
}

// A fixed sequence: the band only decides how fast, never what is selected,
// and a run must take the same time for the same series.
class SamplePositions {
public:
    explicit SamplePositions(std::size_t count) : m_count(count) {}
    std::size_t next() {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::size_t>((m_state >> 33) % m_count);
    }

private:
    std::size_t m_count;
    std::uint64_t m_state = 0x2545F4914F6CDD1DULL;
};

} // namespace

SelectedSlopes selectSlopes(std::vector<double> &slopes, const SlopeRanks &ranks,
                            std::vector<double> &band) {
    const std::size_t count = slopes.size();
    if (count < kBandFrom)
        return selectWithLibrary(slopes, ranks);
    const std::size_t first = ranks.low > 0 ? ranks.low : ranks.lowerMiddle;
    const std::size_t last = ranks.high > 0 ? ranks.high : ranks.upperMiddle;

    // A sample's order statistics stray from the ranks they stand for by
    // about half the square root of its size; three times that is the margin.
    const auto sampleSize =
        std::clamp<std::size_t>(static_cast<std::size_t>(3 * std::sqrt(count)), 64, 4096);
    band.resize(sampleSize);
    SamplePositions positions(count);
    for (double &value : band)
        value = slopes[positions.next()];
    const double margin = 1.5 * std::sqrt(static_cast<double>(sampleSize)) + 1;
    const double scale = static_cast<double>(sampleSize) / static_cast<double>(count);
    const double lowAt = std::floor(static_cast<double>(first - 1) * scale - margin);
    const double highAt = std::ceil(static_cast<double>(last) * scale + margin);
    constexpr double infinity = std::numeric_limits<double>::infinity();
    double from = -infinity;
    double to = infinity;
    if (lowAt >= 0) {
        const auto nth = band.begin() + static_cast<std::ptrdiff_t>(lowAt);
        std::nth_element(band.begin(), nth, band.end());
        from = *nth;
    }
    if (highAt < static_cast<double>(sampleSize)) {
        const auto nth = band.begin() + static_cast<std::ptrdiff_t>(highAt);
        std::nth_element(band.begin(), nth, band.end());
        to = *nth;
    }

    // One pass without branches on the data: every slope is written, and
    // kept only when it lies between the bounds.
    band.resize(count);
    std::size_t kept = 0, below = 0, above = 0;
    for (const double slope : slopes) {
        band[kept] = slope;
        kept += static_cast<std::size_t>(slope >= from) & static_cast<std::size_t>(slope <= to);
        below += static_cast<std::size_t>(slope < from);
        above += static_cast<std::size_t>(slope > to);
    }
    // A slope that is no number is in none of the three counts.
    if (below + kept + above != count)
        return selectWithLibrary(slopes, ranks);
    if (below >= first || below + kept < last)
        return selectNumbers(slopes, ranks);
    band.resize(kept);
    return selectNumbers(band, shifted(ranks, below));
}

} // namespace nxa::analysis
