#include "charts/ChartFrame.h"
#include "charts/ChartPainters.h"
#include "charts/LabelPlacer.h"

#include <QDate>
#include <QFontMetricsF>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <set>

namespace nxa::charts {

namespace {

constexpr double kMarkerSize = 5.0;
constexpr double kFailRingSize = 11.0;
constexpr double kCrossSize = 10.0;
constexpr double kFitWidth = 2.6;
constexpr double kNoteSize = 10.0;
// More days than this without a reading stop the series line: a line across
// a holiday would show readings that nobody took.
constexpr int kGapDays = 7;
// A limit this close to what is drawn gets onto the value axis; a farther one
// would squeeze the readings into a strip.
constexpr double kNearLimitFactor = 5.0;

// The points of one series that are drawn: from the first day on, sorted by day.
std::vector<DayValue> plottable(const std::vector<DayValue> &points, int firstDay,
                                std::set<int> &daysBefore) {
    std::vector<DayValue> kept;
    for (const DayValue &p : points) {
        if (!std::isfinite(p.value))
            continue;
        if (p.day < firstDay)
            daysBefore.insert(p.day);
        else
            kept.push_back(p);
    }
    std::stable_sort(kept.begin(), kept.end(),
                     [](const DayValue &a, const DayValue &b) { return a.day < b.day; });
    return kept;
}

// The fit in log10 of the resistance at a day, from its two ends.
double fitAt(const FittedLine &fit, double day) {
    const double from = std::log10(fit.from.value);
    const double to = std::log10(fit.to.value);
    const double span = static_cast<double>(fit.to.day) - fit.from.day;
    const double share = span != 0.0 ? (day - fit.from.day) / span : 0.0;
    return std::pow(10.0, from + (to - from) * share);
}

// What of a fitted line is drawn: the days it was fitted on inside the
// period, then on to the crossing. Empty when nothing of it is in the period.
std::optional<std::pair<DayValue, DayValue>> fitExtent(const TrendSeries &series, int firstDay) {
    if (!series.fit || !(series.fit->from.value > 0.0) || !(series.fit->to.value > 0.0))
        return std::nullopt;
    const FittedLine &fit = *series.fit;
    const int from = std::max(std::min(fit.from.day, fit.to.day), firstDay);
    DayValue end{std::max(fit.from.day, fit.to.day), 0.0};
    if (series.crossing && series.crossing->day > end.day && series.crossing->value > 0.0)
        end = *series.crossing;
    else
        end.value = fitAt(fit, end.day);
    if (from > end.day)
        return std::nullopt;
    return std::pair(DayValue{from, fitAt(fit, from)}, end);
}

// The day's worst reading on a fail day, when it lies outside the band.
std::optional<double> worstOutside(const FailDay &fail, const std::optional<LimitBand> &band) {
    if (!band)
        return std::nullopt;
    const double over = band->maxKohm ? fail.highestKohm / *band->maxKohm : 0.0;
    const double under = band->minKohm && fail.lowestKohm > 0.0 ? *band->minKohm / fail.lowestKohm
                         : band->minKohm && fail.lowestKohm <= 0.0 ? HUGE_VAL
                                                                   : 0.0;
    if (over <= 1.0 && under <= 1.0)
        return std::nullopt;
    return over >= under ? fail.highestKohm : fail.lowestKohm;
}

QPen bandPen() {
    QPen pen(kBandEdge, 1.0);
    pen.setDashPattern({4, 3});
    return pen;
}

// The band, its edges and their labels; a limit beyond the axis is named at
// the plot's edge instead. Returns the labels' boxes.
std::vector<QRectF> drawBand(ChartFrame &frame, const ValueAxis &axis, const LimitBand &band) {
    QPainter &painter = frame.painter();
    const QRectF &plot = frame.plot();
    const double top = band.maxKohm ? frame.y(axis.position(*band.maxKohm)) : plot.top();
    const double bottom = band.minKohm ? frame.y(axis.position(*band.minKohm)) : plot.bottom();
    painter.fillRect(QRectF(QPointF(plot.left(), top), QPointF(plot.right(), bottom)).normalized(),
                     kBandFill);
    painter.setFont(chartFont(kNoteSize));
    const QFontMetricsF metrics(painter.font());
    std::vector<QRectF> boxes;
    const auto edge = [&](double y, double kohm, const QString &side, bool above) {
        QString text = side + QLatin1Char(' ') + resistanceText(kohm);
        const bool beyondTop = axis.position(kohm) >= 1.0;
        if (axis.contains(kohm)) {
            painter.setPen(bandPen());
            painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        } else {
            text += beyondTop ? QStringLiteral(", above the chart")
                              : QStringLiteral(", below the chart");
            y = beyondTop ? plot.top() : plot.bottom();
            above = !beyondTop;
        }
        // Inside the band, at the start of the period, clear of the crossing's date.
        const double textTop = above ? y - metrics.height() - 1.0 : y + 1.0;
        const QRectF box(plot.left() + 4.0, textTop, metrics.horizontalAdvance(text) + 2.0,
                         metrics.height());
        painter.setPen(kInk);
        painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, text);
        boxes.push_back(box);
    };
    if (band.maxKohm)
        edge(top, *band.maxKohm, QStringLiteral("max"), false);
    if (band.minKohm)
        edge(bottom, *band.minKohm, QStringLiteral("min"), true);
    return boxes;
}

// "Date (2026-10-08 to 2026-12-07), and 1 reading before 2026-10-08".
QString dayTitle(int first, int last, int readingsBefore) {
    QString title = dayAxisTitle(first, last);
    if (readingsBefore > 0)
        title +=
            QStringLiteral(", and %1 %2 before %3")
                .arg(readingsBefore)
                .arg(readingsBefore == 1 ? QStringLiteral("reading") : QStringLiteral("readings"))
                .arg(QDate::fromJulianDay(first).toString(Qt::ISODate));
    return title;
}

struct Drawn {
    std::vector<DayValue> points;
    std::optional<std::pair<DayValue, DayValue>> fit;
    std::vector<std::pair<DayValue, std::optional<double>>> fails; // the day's median, its worst
};

} // namespace

void paintPersonTrend(const PersonTrend &chart, ChartFrame &frame) {
    const int first = std::min(chart.firstDay, chart.lastDay);
    int last = std::max(chart.firstDay, chart.lastDay);
    std::set<int> daysBefore;
    std::vector<Drawn> drawn;
    std::vector<double> values;
    const auto take = [&](const DayValue &p) {
        values.push_back(p.value);
        last = std::max(last, p.day);
    };
    std::size_t pointCount = 0;
    for (const TrendSeries &s : chart.series) {
        Drawn d;
        d.points = plottable(s.points, first, daysBefore);
        pointCount += d.points.size();
        std::for_each(d.points.begin(), d.points.end(), take);
        d.fit = fitExtent(s, first);
        if (d.fit) {
            take(d.fit->first);
            take(d.fit->second);
        }
        if (s.crossing && s.crossing->day >= first)
            take(*s.crossing);
        for (const FailDay &fail : s.fails) {
            const auto at = std::find_if(d.points.begin(), d.points.end(),
                                         [&](const DayValue &p) { return p.day == fail.day; });
            if (at == d.points.end())
                continue;
            const std::optional<double> worst = worstOutside(fail, chart.band);
            if (worst && std::isfinite(*worst))
                values.push_back(*worst);
            d.fails.emplace_back(*at, worst);
        }
        drawn.push_back(std::move(d));
    }
    // The limits join the axis when they are near what is drawn, or when
    // nothing is.
    const auto positive = [](double v) { return std::isfinite(v) && v > 0.0; };
    double lowest = HUGE_VAL;
    double highest = 0.0;
    for (const double v : values)
        if (positive(v)) {
            lowest = std::min(lowest, v);
            highest = std::max(highest, v);
        }
    if (chart.band)
        for (const auto &limit : {chart.band->minKohm, chart.band->maxKohm})
            if (limit && (highest == 0.0 || (*limit <= highest * kNearLimitFactor &&
                                             *limit >= lowest / kNearLimitFactor)))
                values.push_back(*limit);
    const ValueAxis axis = ValueAxis::resistance(values);
    const DayAxis days(first, last);

    std::vector<LegendEntry> legend;
    if (chart.band)
        legend.push_back({chart.band->name, LegendSample::Box, bandPen(), QBrush(kBandFill)});
    bool anyCrossing = false;
    bool anyFail = false;
    bool anyWorst = false;
    for (std::size_t i = 0; i < chart.series.size(); ++i) {
        const SeriesStyle &style = seriesStyle(static_cast<int>(i));
        legend.push_back(seriesEntry(chart.series[i].name, style, LegendSample::LineAndMarker));
        if (drawn[i].fit) {
            LegendEntry fit = seriesEntry(chart.series[i].fit->name, style, LegendSample::Line);
            fit.pen.setWidthF(kFitWidth);
            legend.push_back(fit);
        }
        anyCrossing = anyCrossing || chart.series[i].crossing.has_value();
        anyFail = anyFail || !drawn[i].fails.empty();
        for (const auto &fail : drawn[i].fails)
            anyWorst = anyWorst || fail.second.has_value();
    }
    if (anyFail) {
        LegendEntry entry{QStringLiteral("Day with a fail"), LegendSample::Marker,
                          QPen(kAlarm, 1.6)};
        entry.filledMarker = false;
        legend.push_back(entry);
    }
    if (anyWorst)
        legend.push_back({QStringLiteral("Worst reading of a fail day"), LegendSample::Whisker,
                          QPen(kAlarm, 1.2)});
    if (anyCrossing) {
        LegendEntry entry{QStringLiteral("Projected crossing"), LegendSample::Marker, QPen(kAlarm)};
        entry.marker = MarkerShape::Cross;
        legend.push_back(entry);
    }
    frame.layout(chart.title, legend,
                 dayTitle(first, last, chart.readingsBefore + static_cast<int>(daysBefore.size())),
                 QStringLiteral("Resistance (kΩ, MΩ; log scale)"), axis.ticks());
    const QRectF &plot = frame.plot();
    LabelPlacer labels(plot.adjusted(1.0, 1.0, -1.0, -1.0));
    if (chart.band)
        for (const QRectF &box : drawBand(frame, axis, *chart.band))
            labels.reserve(box);
    frame.drawValueAxis(axis);
    frame.drawDayAxis(days);
    if (pointCount == 0)
        frame.drawNoData();

    QPainter &painter = frame.painter();
    const auto place = [&](const DayValue &p) {
        return QPointF(frame.x(days.position(p.day)), frame.y(axis.position(p.value)));
    };
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        const SeriesStyle &style = seriesStyle(static_cast<int>(i));
        const std::vector<DayValue> &points = drawn[i].points;
        painter.setPen(seriesPen(style, 1.1));
        QPolygonF line;
        for (std::size_t k = 0; k < points.size(); ++k) {
            if (k > 0 && points[k].day - points[k - 1].day - 1 > kGapDays) {
                painter.drawPolyline(line);
                line.clear();
            }
            line << place(points[k]);
        }
        painter.drawPolyline(line);
    }
    // A fail day: a ring under the day's marker, and a whisker to the day's
    // worst reading when the median hides it inside the band.
    QPolygonF rings;
    for (const Drawn &d : drawn)
        for (const auto &[median, worst] : d.fails) {
            rings << place(median);
            if (worst) {
                const QPointF from = place(median);
                const QPointF to = place({median.day, *worst});
                painter.setPen(QPen(kAlarm, 1.2));
                painter.drawLine(from, to);
                painter.drawLine(to - QPointF(4.0, 0.0), to + QPointF(4.0, 0.0));
            }
        }
    QPen ringPen(kAlarm, 1.6);
    painter.setPen(ringPen);
    painter.setBrush(Qt::white);
    for (const QPointF &centre : rings)
        painter.drawEllipse(centre, kFailRingSize / 2.0, kFailRingSize / 2.0);
    painter.setBrush(Qt::NoBrush);
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        const SeriesStyle &style = seriesStyle(static_cast<int>(i));
        QPolygonF centres;
        for (const DayValue &p : drawn[i].points)
            centres << place(p);
        drawMarkers(painter, centres, style.marker, style.colour, style.filledMarker, kMarkerSize);
        for (const QPointF &centre : centres)
            labels.reserve(QRectF(centre.x() - 1.0, centre.y() - 1.0, 2.0, 2.0));
    }
    // The crossings' ✕ whole inside the plot: one at the end of the period
    // or on the top edge moves in by the little it takes.
    const double r = kCrossSize / 2.0 + 1.0;
    const auto inside = [&](QPointF at) {
        return QPointF(
            std::clamp(at.x(), plot.left() + r, std::max(plot.left() + r, plot.right() - r)),
            std::clamp(at.y(), plot.top() + r, std::max(plot.top() + r, plot.bottom() - r)));
    };
    std::vector<std::optional<QPointF>> crosses;
    for (const TrendSeries &s : chart.series) {
        crosses.push_back(s.crossing && s.crossing->day >= first
                              ? std::optional<QPointF>(inside(place(*s.crossing)))
                              : std::nullopt);
        if (crosses.back())
            labels.reserve(QRectF(crosses.back()->x() - r, crosses.back()->y() - r, 2 * r, 2 * r));
    }
    // The fits above the readings they summarise, each on to its ✕.
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        if (!drawn[i].fit)
            continue;
        const bool toCross =
            crosses[i] && drawn[i].fit->second.day == chart.series[i].crossing->day;
        painter.setPen(seriesPen(seriesStyle(static_cast<int>(i)), kFitWidth));
        painter.drawLine(place(drawn[i].fit->first),
                         toCross ? *crosses[i] : place(drawn[i].fit->second));
    }
    painter.setFont(chartFont(kNoteSize));
    const QFontMetricsF metrics(painter.font());
    for (std::size_t i = 0; i < chart.series.size(); ++i) {
        const TrendSeries &s = chart.series[i];
        if (!crosses[i])
            continue;
        const QPointF at = *crosses[i];
        QPen guide(kAlarm, 1.0);
        guide.setDashPattern({1, 2});
        painter.setPen(guide);
        painter.drawLine(QPointF(at.x(), plot.top()), QPointF(at.x(), plot.bottom()));
        drawMarker(painter, at, MarkerShape::Cross, kAlarm, false, kCrossSize);
        const QString when = s.name + QStringLiteral(": ") +
                             QDate::fromJulianDay(s.crossing->day).toString(Qt::ISODate);
        const double w = metrics.horizontalAdvance(when) + 4.0;
        const double h = metrics.height();
        // Beside the ✕, toward the middle of the plot first.
        const QRectF left(at.x() - r - 2.0 - w, at.y() - r - h, w, h);
        const QRectF right(at.x() + r + 2.0, at.y() - r - h, w, h);
        const bool leftFirst = at.x() > plot.center().x();
        const QRectF box = labels.place(leftFirst ? std::vector<QRectF>{left, right}
                                                  : std::vector<QRectF>{right, left});
        painter.fillRect(box, Qt::white);
        painter.setPen(kInk);
        painter.drawText(box, Qt::AlignCenter, when);
    }
}

} // namespace nxa::charts
