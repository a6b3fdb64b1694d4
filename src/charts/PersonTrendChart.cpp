#include "charts/ChartFrame.h"
#include "charts/ChartPainters.h"

#include <QDate>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace nxa::charts {

namespace {

constexpr double kMarkerSize = 5.0;
constexpr double kFitWidth = 2.6;

// Every point sorted by day, without the values that cannot be placed.
std::vector<DayValue> plottable(const std::vector<DayValue> &points) {
    std::vector<DayValue> kept;
    std::copy_if(points.begin(), points.end(), std::back_inserter(kept),
                 [](const DayValue &p) { return std::isfinite(p.value); });
    std::stable_sort(kept.begin(), kept.end(),
                     [](const DayValue &a, const DayValue &b) { return a.day < b.day; });
    return kept;
}

QPen bandPen() {
    QPen pen(kBandEdge, 1.0);
    pen.setDashPattern({4, 3});
    return pen;
}

void drawBand(ChartFrame &frame, const ValueAxis &axis, const LimitBand &band) {
    QPainter &painter = frame.painter();
    const QRectF &plot = frame.plot();
    const double top = band.maxKohm ? frame.y(axis.position(*band.maxKohm)) : plot.top();
    const double bottom = band.minKohm ? frame.y(axis.position(*band.minKohm)) : plot.bottom();
    painter.fillRect(QRectF(QPointF(plot.left(), top), QPointF(plot.right(), bottom)).normalized(),
                     kBandFill);
    painter.setPen(bandPen());
    painter.setFont(chartFont(10.0));
    const QFontMetricsF metrics(painter.font());
    const auto edge = [&](double y, const QString &text, bool above) {
        painter.setPen(bandPen());
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(kInk);
        // Inside the band, at the start of the period, clear of the crossing's date.
        const double textTop = above ? y - metrics.height() - 1.0 : y + 1.0;
        painter.drawText(QRectF(plot.left() + 4.0, textTop, plot.width() - 8.0, metrics.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, text);
    };
    if (band.maxKohm) {
        edge(top, QStringLiteral("max ") + resistanceText(*band.maxKohm), false);
    }
    if (band.minKohm) {
        edge(bottom, QStringLiteral("min ") + resistanceText(*band.minKohm), true);
    }
}

} // namespace

void paintPersonTrend(const PersonTrend &chart, ChartFrame &frame) {
    std::vector<std::vector<DayValue>> series;
    std::vector<double> values;
    int first = std::min(chart.firstDay, chart.lastDay);
    int last = std::max(chart.firstDay, chart.lastDay);
    const auto take = [&](const DayValue &p) {
        values.push_back(p.value);
        first = std::min(first, p.day);
        last = std::max(last, p.day);
    };
    std::size_t pointCount = 0;
    for (const TrendSeries &s : chart.series) {
        series.push_back(plottable(s.points));
        pointCount += series.back().size();
        std::for_each(series.back().begin(), series.back().end(), take);
        if (s.fit) {
            take(s.fit->from);
            take(s.fit->to);
        }
        if (s.crossing) {
            take(*s.crossing);
        }
    }
    if (chart.band) {
        for (const auto &limit : {chart.band->minKohm, chart.band->maxKohm}) {
            if (limit) {
                values.push_back(*limit);
            }
        }
    }
    const ValueAxis axis = ValueAxis::resistance(values);
    const DayAxis days(first, last);

    std::vector<LegendEntry> legend;
    if (chart.band) {
        LegendEntry entry{chart.band->name, LegendSample::Box, bandPen(), QBrush(kBandFill)};
        legend.push_back(entry);
    }
    bool anyCrossing = false;
    for (std::size_t i = 0; i < chart.series.size(); ++i) {
        const SeriesStyle &style = seriesStyle(static_cast<int>(i));
        legend.push_back(seriesEntry(chart.series[i].name, style, LegendSample::LineAndMarker));
        if (chart.series[i].fit) {
            LegendEntry fit = seriesEntry(chart.series[i].fit->name, style, LegendSample::Line);
            fit.pen.setWidthF(kFitWidth);
            legend.push_back(fit);
        }
        anyCrossing = anyCrossing || chart.series[i].crossing.has_value();
    }
    if (anyCrossing) {
        LegendEntry entry{QStringLiteral("Projected crossing"), LegendSample::Marker, QPen(kAlarm)};
        entry.marker = MarkerShape::Cross;
        legend.push_back(entry);
    }
    frame.layout(chart.title, legend, dayAxisTitle(first, last),
                 QStringLiteral("Resistance (kΩ, MΩ; log scale)"), axis.ticks());
    if (chart.band) {
        drawBand(frame, axis, *chart.band);
    }
    frame.drawValueAxis(axis);
    frame.drawDayAxis(days);
    if (pointCount == 0) {
        frame.drawNoData();
    }

    QPainter &painter = frame.painter();
    const auto place = [&](const DayValue &p) {
        return QPointF(frame.x(days.position(p.day)), frame.y(axis.position(p.value)));
    };
    for (std::size_t i = 0; i < series.size(); ++i) {
        const SeriesStyle &style = seriesStyle(static_cast<int>(i));
        const TrendSeries &input = chart.series[i];
        if (input.fit) {
            QPen pen = seriesPen(style, kFitWidth);
            painter.setPen(pen);
            painter.drawLine(place(input.fit->from), place(input.fit->to));
        }
        QPolygonF line;
        for (const DayValue &p : series[i]) {
            line << place(p);
        }
        painter.setPen(seriesPen(style, 1.1));
        painter.drawPolyline(line);
        drawMarkers(painter, line, style.marker, style.colour, style.filledMarker, kMarkerSize);
        if (input.crossing) {
            const QPointF at = place(*input.crossing);
            QPen guide(kAlarm, 1.0);
            guide.setDashPattern({1, 2});
            painter.setPen(guide);
            painter.drawLine(QPointF(at.x(), frame.plot().top()),
                             QPointF(at.x(), frame.plot().bottom()));
            drawMarker(painter, at, MarkerShape::Cross, kAlarm, false, 10.0);
            painter.setFont(chartFont(10.0));
            painter.setPen(kInk);
            const QString when = QDate::fromJulianDay(input.crossing->day).toString(Qt::ISODate);
            const bool leftOfIt = at.x() > frame.plot().center().x();
            painter.drawText(
                QRectF(leftOfIt ? at.x() - 106.0 : at.x() + 6.0, at.y() - 16.0, 100.0, 14.0),
                (leftOfIt ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, when);
        }
    }
}

} // namespace nxa::charts
