#pragma once

#include "records/DataloggerTable.h"

#include <array>
#include <numeric>

namespace nxa::records {

// The fixed-width text form of the table: columns 0-12 as right-aligned
// fields of these widths, written by the text export and read back by the
// text import.
inline constexpr std::array<int, kKeyColumnCount> kFixedWidths = {3, 5, 8, 21, 9,  9, 9,
                                                                  9, 6, 6, 13, 11, 9};
inline constexpr int kFixedWidthLineWidth =
    std::accumulate(kFixedWidths.begin(), kFixedWidths.end(), 0);
static_assert(kFixedWidthLineWidth == 118);

// 0-based character position at which column c starts.
constexpr int fixedWidthStart(int c) {
    return std::accumulate(kFixedWidths.begin(), kFixedWidths.begin() + c, 0);
}

} // namespace nxa::records
