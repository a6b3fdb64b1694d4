#pragma once

#include "charts/Axis.h"
#include "charts/SeriesStyle.h"

#include <QBrush>
#include <QFont>
#include <QPen>
#include <QPolygonF>
#include <QRectF>
#include <QString>

#include <utility>
#include <vector>

class QPainter;

// What every chart shares: its face, title, legend, axes and the plot area
// that is left for the data. All in the chart's own units (kChartSize).
namespace nxa::charts {

enum class LegendSample { Line, Marker, LineAndMarker, Box, Whisker };

struct LegendEntry {
    LegendEntry() = default;
    LegendEntry(QString text, LegendSample sample, QPen pen, QBrush brush = {})
        : text(std::move(text)), sample(sample), pen(std::move(pen)), brush(std::move(brush)) {}

    QString text;
    LegendSample sample = LegendSample::Line;
    QPen pen;
    QBrush brush;
    MarkerShape marker = MarkerShape::Circle;
    bool filledMarker = true;
};

QFont chartFont(double pixelSize, bool bold = false);
// The series' colour and dash pattern at the given width.
QPen seriesPen(const SeriesStyle &style, double width);
void drawMarker(QPainter &painter, QPointF centre, MarkerShape shape, const QColor &colour,
                bool filled, double size);
void drawMarkers(QPainter &painter, const QPolygonF &centres, MarkerShape shape,
                 const QColor &colour, bool filled, double size);
LegendEntry seriesEntry(const QString &text, const SeriesStyle &style, LegendSample sample);

class ChartFrame {
public:
    ChartFrame(QPainter &painter, const QRectF &area);

    // Draws title, legend and axis titles and keeps the rest as the plot area;
    // yLabels are the value axis' tick labels, measured to leave them room.
    void layout(const QString &title, const std::vector<LegendEntry> &legend, const QString &xTitle,
                const QString &yTitle, const std::vector<Tick> &yTicks);
    void drawValueAxis(const ValueAxis &axis);
    void drawDayAxis(const DayAxis &axis);
    void drawCategoryAxis(const std::vector<QString> &labels);
    // A note in the middle of the plot for a chart without data.
    void drawNoData();

    const QRectF &plot() const { return m_plot; }
    // Screen places of shares along the plot (0 left/bottom, 1 right/top).
    double x(double share) const { return m_plot.left() + share * m_plot.width(); }
    double y(double share) const { return m_plot.bottom() - share * m_plot.height(); }
    QPainter &painter() { return m_painter; }

private:
    double drawLegend(const std::vector<LegendEntry> &legend, double top);

    QPainter &m_painter;
    QRectF m_area;
    QRectF m_plot;
};

} // namespace nxa::charts
