#include "charts/SeriesStyle.h"

#include <array>

namespace nxa::charts {

namespace {

// Blue, vermillion, bluish green, reddish purple, black: far apart in hue and,
// with the dashes and markers, apart in print.
const std::array<SeriesStyle, 5> kStyles{{
    {QColor(0x00, 0x72, 0xb2), {}, MarkerShape::Circle, true},
    {QColor(0xd5, 0x5e, 0x00), {5, 3}, MarkerShape::Square, false},
    {QColor(0x00, 0x9e, 0x73), {1, 2}, MarkerShape::TriangleUp, true},
    {QColor(0xcc, 0x79, 0xa7), {6, 2, 1, 2}, MarkerShape::Diamond, false},
    {QColor(0x00, 0x00, 0x00), {9, 3}, MarkerShape::TriangleDown, true},
}};

} // namespace

const SeriesStyle &seriesStyle(int index) {
    const int count = static_cast<int>(kStyles.size());
    return kStyles[static_cast<std::size_t>(((index % count) + count) % count)];
}

int seriesStyleCount() {
    return static_cast<int>(kStyles.size());
}

} // namespace nxa::charts
