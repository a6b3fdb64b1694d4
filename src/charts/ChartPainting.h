#pragma once

#include "charts/ChartInputs.h"

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QSize>

class QPainter;

// The one drawing of each chart, and the surfaces it goes to. A chart is
// drawn in its own units (kChartSize) and scaled to whatever box it is given,
// so that SVG, PDF and screen show the same picture. Text needs a
// QGuiApplication; without a display, QT_QPA_PLATFORM=offscreen serves.
namespace nxa::charts {

inline constexpr QSize kChartSize{640, 320};

// Draws into target, keeping nothing of the painter's state.
void paintChart(const Chart &chart, QPainter &painter, const QRectF &target);
QString chartTitle(const Chart &chart);

// A standalone SVG document of kChartSize units; empty when it could not be written.
QByteArray chartSvg(const Chart &chart);
// The chart at scale times kChartSize pixels, on white.
QImage chartImage(const Chart &chart, double scale = 1.0);

} // namespace nxa::charts
