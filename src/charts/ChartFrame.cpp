#include "charts/ChartFrame.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace nxa::charts {

namespace {

constexpr double kMargin = 8.0;
constexpr double kTitleSize = 15.0;
constexpr double kLabelSize = 11.0;
constexpr double kAxisTitleSize = 11.5;
constexpr double kTickLength = 4.0;
constexpr double kSampleWidth = 26.0;
constexpr double kLegendGap = 16.0;

void drawSample(QPainter &painter, const LegendEntry &entry, const QRectF &box) {
    const QPointF centre = box.center();
    switch (entry.sample) {
    case LegendSample::Line:
    case LegendSample::LineAndMarker:
        painter.setPen(entry.pen);
        painter.drawLine(QPointF(box.left(), centre.y()), QPointF(box.right(), centre.y()));
        if (entry.sample == LegendSample::LineAndMarker)
            drawMarker(painter, centre, entry.marker, entry.pen.color(), entry.filledMarker, 7.0);
        break;
    case LegendSample::Marker:
        drawMarker(painter, centre, entry.marker, entry.pen.color(), entry.filledMarker, 8.0);
        break;
    case LegendSample::Box:
        painter.setPen(entry.pen);
        painter.setBrush(entry.brush);
        painter.drawRect(QRectF(box.left() + 4, box.top() + 1, box.width() - 8, box.height() - 2));
        painter.setBrush(Qt::NoBrush);
        break;
    case LegendSample::Whisker:
        painter.setPen(entry.pen);
        painter.drawLine(QPointF(centre.x(), box.top()), QPointF(centre.x(), box.bottom()));
        painter.drawLine(QPointF(centre.x() - 4, box.top()), QPointF(centre.x() + 4, box.top()));
        painter.drawLine(QPointF(centre.x() - 4, box.bottom()),
                         QPointF(centre.x() + 4, box.bottom()));
        break;
    }
}

} // namespace

QFont chartFont(double pixelSize, bool bold) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(static_cast<int>(std::lround(pixelSize)));
    font.setBold(bold);
    // Metrics must not depend on the device the chart ends up on.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QPen seriesPen(const SeriesStyle &style, double width) {
    QPen pen(style.colour, width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::RoundJoin);
    if (!style.dashes.isEmpty())
        pen.setDashPattern(style.dashes);
    return pen;
}

void drawMarkers(QPainter &painter, const QPolygonF &centres, MarkerShape shape,
                 const QColor &colour, bool filled, double size) {
    const double r = size / 2.0;
    QPen pen(colour, shape == MarkerShape::Cross ? 2.2 : 1.3);
    pen.setJoinStyle(Qt::MiterJoin);
    // One pen and brush for all of them: the SVG then holds one group, not one per point.
    painter.setPen(pen);
    painter.setBrush(filled ? QBrush(colour) : QBrush(Qt::white));
    for (const QPointF &centre : centres) {
        const double cx = centre.x();
        const double cy = centre.y();
        switch (shape) {
        case MarkerShape::Circle:
            painter.drawEllipse(centre, r, r);
            break;
        case MarkerShape::Square:
            painter.drawRect(QRectF(cx - r * 0.85, cy - r * 0.85, r * 1.7, r * 1.7));
            break;
        case MarkerShape::TriangleUp:
            painter.drawPolygon(QPolygonF({QPointF(cx, cy - r), QPointF(cx + r, cy + r * 0.8),
                                           QPointF(cx - r, cy + r * 0.8)}));
            break;
        case MarkerShape::Diamond:
            painter.drawPolygon(QPolygonF({QPointF(cx, cy - r), QPointF(cx + r, cy),
                                           QPointF(cx, cy + r), QPointF(cx - r, cy)}));
            break;
        case MarkerShape::TriangleDown:
            painter.drawPolygon(QPolygonF({QPointF(cx, cy + r), QPointF(cx + r, cy - r * 0.8),
                                           QPointF(cx - r, cy - r * 0.8)}));
            break;
        case MarkerShape::Cross:
            painter.drawLine(QPointF(cx - r, cy - r), QPointF(cx + r, cy + r));
            painter.drawLine(QPointF(cx - r, cy + r), QPointF(cx + r, cy - r));
            break;
        }
    }
    painter.setBrush(Qt::NoBrush);
}

void drawMarker(QPainter &painter, QPointF centre, MarkerShape shape, const QColor &colour,
                bool filled, double size) {
    drawMarkers(painter, QPolygonF({centre}), shape, colour, filled, size);
}

LegendEntry seriesEntry(const QString &text, const SeriesStyle &style, LegendSample sample) {
    LegendEntry entry;
    entry.text = text;
    entry.sample = sample;
    entry.pen = seriesPen(style, 1.5);
    entry.marker = style.marker;
    entry.filledMarker = style.filledMarker;
    return entry;
}

ChartFrame::ChartFrame(QPainter &painter, const QRectF &area) : m_painter(painter), m_area(area) {}

double ChartFrame::drawLegend(const std::vector<LegendEntry> &legend, double top) {
    const QFont font = chartFont(kLabelSize);
    const QFontMetricsF metrics(font);
    const double rowHeight = metrics.height() + 4.0;
    const double left = m_area.left() + kMargin;
    const double right = m_area.right() - kMargin;
    double x = left;
    double y = top;
    m_painter.setFont(font);
    for (const LegendEntry &entry : legend) {
        const double width = kSampleWidth + 5.0 + metrics.horizontalAdvance(entry.text);
        if (x > left && x + width > right) {
            x = left;
            y += rowHeight;
        }
        drawSample(m_painter, entry, QRectF(x, y + 2.0, kSampleWidth, rowHeight - 6.0));
        m_painter.setPen(kInk);
        m_painter.drawText(QRectF(x + kSampleWidth + 5.0, y, right - x, rowHeight),
                           Qt::AlignLeft | Qt::AlignVCenter, entry.text);
        x += width + kLegendGap;
    }
    return legend.empty() ? top : y + rowHeight;
}

void ChartFrame::layout(const QString &title, const std::vector<LegendEntry> &legend,
                        const QString &xTitle, const QString &yTitle,
                        const std::vector<Tick> &yTicks) {
    m_painter.setRenderHint(QPainter::Antialiasing);
    m_painter.fillRect(m_area, Qt::white);
    const QFont titleFont = chartFont(kTitleSize, true);
    const QFontMetricsF titleMetrics(titleFont);
    m_painter.setFont(titleFont);
    m_painter.setPen(kInk);
    const QRectF titleBox(m_area.left() + kMargin, m_area.top() + kMargin,
                          m_area.width() - 2 * kMargin, titleMetrics.height());
    m_painter.drawText(titleBox, Qt::AlignLeft | Qt::AlignVCenter,
                       titleMetrics.elidedText(title, Qt::ElideRight, titleBox.width()));
    const double legendBottom = drawLegend(legend, titleBox.bottom() + 4.0);

    const QFont labelFont = chartFont(kLabelSize);
    const QFontMetricsF labelMetrics(labelFont);
    double labelWidth = 0.0;
    for (const Tick &tick : yTicks)
        labelWidth = std::max(labelWidth, labelMetrics.horizontalAdvance(tick.label));
    const QFont axisFont = chartFont(kAxisTitleSize);
    const QFontMetricsF axisMetrics(axisFont);
    const double left =
        m_area.left() + kMargin + axisMetrics.height() + 4.0 + labelWidth + kTickLength + 3.0;
    const double bottom = m_area.bottom() - kMargin - axisMetrics.height() - labelMetrics.height() -
                          kTickLength - 4.0;
    const double top = legendBottom + labelMetrics.height() / 2.0 + 4.0;
    const double right = m_area.right() - kMargin - 18.0;
    m_plot = QRectF(QPointF(left, top), QPointF(right, std::max(bottom, top + 20.0)));

    m_painter.setFont(axisFont);
    m_painter.setPen(kInk);
    m_painter.drawText(QRectF(m_plot.left(), m_area.bottom() - kMargin - axisMetrics.height(),
                              m_plot.width(), axisMetrics.height()),
                       Qt::AlignCenter, xTitle);
    m_painter.save();
    m_painter.translate(m_area.left() + kMargin, m_plot.center().y());
    m_painter.rotate(-90.0);
    m_painter.drawText(QRectF(-m_plot.height(), 0.0, 2 * m_plot.height(), axisMetrics.height()),
                       Qt::AlignCenter, yTitle);
    m_painter.restore();
}

void ChartFrame::drawValueAxis(const ValueAxis &axis) {
    const QFont font = chartFont(kLabelSize);
    const QFontMetricsF metrics(font);
    m_painter.setFont(font);
    for (const Tick &tick : axis.ticks()) {
        const double ty = y(tick.position);
        m_painter.setPen(QPen(kGrid, 0.8));
        m_painter.drawLine(QPointF(m_plot.left(), ty), QPointF(m_plot.right(), ty));
        m_painter.setPen(QPen(kInk, 1.0));
        m_painter.drawLine(QPointF(m_plot.left() - kTickLength, ty), QPointF(m_plot.left(), ty));
        m_painter.drawText(QRectF(m_area.left(), ty - metrics.height() / 2.0,
                                  m_plot.left() - kTickLength - 3.0 - m_area.left(),
                                  metrics.height()),
                           Qt::AlignRight | Qt::AlignVCenter, tick.label);
    }
    if (axis.zeroStrip() > 0.0) {
        // The break between the strip for 0 and the first decade.
        const double by = y(axis.zeroStrip() * 0.6);
        m_painter.setPen(QPen(kInk, 1.0));
        m_painter.setBrush(Qt::white);
        m_painter.drawRect(QRectF(m_plot.left() - 6.0, by - 2.5, 12.0, 5.0));
        m_painter.setBrush(Qt::NoBrush);
    }
    m_painter.setPen(QPen(kInk, 1.0));
    m_painter.drawLine(m_plot.bottomLeft(), m_plot.topLeft());
}

void ChartFrame::drawDayAxis(const DayAxis &axis) {
    const QFont font = chartFont(kLabelSize);
    const QFontMetricsF metrics(font);
    m_painter.setFont(font);
    m_painter.setPen(QPen(kInk, 1.0));
    m_painter.drawLine(m_plot.bottomLeft(), m_plot.bottomRight());
    const auto width = [&metrics](const QString &text) { return metrics.horizontalAdvance(text); };
    for (const Tick &tick : axis.ticks(m_plot.width(), width)) {
        const double tx = x(tick.position);
        const double labelWidth = width(tick.label);
        m_painter.drawLine(QPointF(tx, m_plot.bottom()),
                           QPointF(tx, m_plot.bottom() + kTickLength));
        // Centred on its tick, but never cut by the chart's edge ("4 Jan 2027"
        // on the last day).
        const double left =
            std::clamp(tx - labelWidth / 2.0, m_area.left() + 1.0,
                       std::max(m_area.left() + 1.0, m_area.right() - 1.0 - labelWidth));
        m_painter.drawText(
            QRectF(left, m_plot.bottom() + kTickLength + 1.0, labelWidth + 1.0, metrics.height()),
            Qt::AlignLeft | Qt::AlignTop, tick.label);
    }
}

void ChartFrame::drawCategoryAxis(const std::vector<QString> &labels) {
    const QFont font = chartFont(kLabelSize);
    const QFontMetricsF metrics(font);
    m_painter.setFont(font);
    m_painter.setPen(QPen(kInk, 1.0));
    m_painter.drawLine(m_plot.bottomLeft(), m_plot.bottomRight());
    if (labels.empty())
        return;
    const double slot = m_plot.width() / static_cast<double>(labels.size());
    double widest = 0.0;
    for (const QString &label : labels)
        widest = std::max(widest, metrics.horizontalAdvance(label));
    const auto every = static_cast<std::size_t>(std::max(1.0, std::ceil((widest + 6.0) / slot)));
    for (std::size_t i = 0; i < labels.size(); i += every) {
        const double cx = m_plot.left() + (static_cast<double>(i) + 0.5) * slot;
        m_painter.drawLine(QPointF(cx, m_plot.bottom()),
                           QPointF(cx, m_plot.bottom() + kTickLength));
        m_painter.drawText(QRectF(cx - slot * every / 2.0, m_plot.bottom() + kTickLength + 1.0,
                                  slot * every, metrics.height()),
                           Qt::AlignHCenter | Qt::AlignTop, labels[i]);
    }
}

void ChartFrame::drawNoData() {
    m_painter.setFont(chartFont(kAxisTitleSize));
    m_painter.setPen(kInk);
    m_painter.drawText(m_plot, Qt::AlignCenter, QStringLiteral("No data in this period"));
}

} // namespace nxa::charts
