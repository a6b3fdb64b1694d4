#pragma once

#include <QColor>
#include <QList>

// One palette for every chart. Colours come from a set that colour-blind
// readers tell apart, and each series also has its own dash pattern and
// marker, so that the charts stay readable in greyscale print.
namespace nxa::charts {

// Cross is kept for what is not a series: the projected crossing of a limit.
enum class MarkerShape { Circle, Square, TriangleUp, Diamond, TriangleDown, Cross };

struct SeriesStyle {
    QColor colour;
    // Empty for a solid line; otherwise dash and gap lengths in line widths.
    QList<qreal> dashes;
    MarkerShape marker = MarkerShape::Circle;
    bool filledMarker = true;
};

// The style of the n-th series of a chart; repeats after the last one.
const SeriesStyle &seriesStyle(int index);
int seriesStyleCount();

// Colours of what is not a series.
inline const QColor kInk{0x20, 0x20, 0x20};
inline const QColor kGrid{0xd0, 0xd0, 0xd0};
inline const QColor kBandFill{0xe4, 0xe4, 0xe4};
inline const QColor kBandEdge{0x60, 0x60, 0x60};
inline const QColor kPassFill{0xa6, 0xce, 0xe3};
inline const QColor kFailFill{0xb3, 0x3c, 0x00};
inline const QColor kAlarm{0x00, 0x00, 0x00};

} // namespace nxa::charts
