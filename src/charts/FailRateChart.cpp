#include "charts/ChartFrame.h"
#include "charts/ChartPainters.h"

#include <QLocale>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace nxa::charts {

namespace {

constexpr double kPercent = 100.0;

QPen limitPen() {
    QPen pen(seriesStyle(1).colour, 1.4);
    pen.setDashPattern({5, 3});
    return pen;
}

QPen centrePen() {
    return QPen(kInk, 1.4);
}

bool hasRate(const FailRateDay &day) {
    return day.rate && std::isfinite(*day.rate);
}

// A limit that changes with the day's number of tests: one step per day,
// broken where a day has no rate.
void drawSteps(ChartFrame &frame, const DayAxis &days, const ValueAxis &axis,
               const std::vector<FailRateDay> &input, double FailRateDay::*limit) {
    QPainter &painter = frame.painter();
    painter.setPen(limitPen());
    const double half = 0.5 / days.dayCount();
    QPolygonF steps;
    int previous = 0;
    for (const FailRateDay &day : input) {
        if (!hasRate(day)) {
            continue;
        }
        if (!steps.isEmpty() && day.day != previous + 1) {
            painter.drawPolyline(steps);
            steps.clear();
        }
        const double y = frame.y(axis.position(day.*limit * kPercent));
        const double centre = days.position(day.day);
        steps << QPointF(frame.x(centre - half), y) << QPointF(frame.x(centre + half), y);
        previous = day.day;
    }
    painter.drawPolyline(steps);
}

} // namespace

void paintFailRate(const FailRateChart &chart, ChartFrame &frame) {
    std::vector<FailRateDay> input;
    std::copy_if(chart.days.begin(), chart.days.end(), std::back_inserter(input), hasRate);
    std::stable_sort(input.begin(), input.end(),
                     [](const FailRateDay &a, const FailRateDay &b) { return a.day < b.day; });
    int first = std::min(chart.firstDay, chart.lastDay);
    int last = std::max(chart.firstDay, chart.lastDay);
    double highest = std::isfinite(chart.centre) ? chart.centre : 0.0;
    for (const FailRateDay &day : input) {
        first = std::min(first, day.day);
        last = std::max(last, day.day);
        for (const double value : {*day.rate, day.upper}) {
            if (std::isfinite(value)) {
                highest = std::max(highest, value);
            }
        }
    }
    const ValueAxis axis = ValueAxis::linear(0.0, std::min(highest, 1.0) * kPercent);
    const DayAxis days(first, last);

    const SeriesStyle &rateStyle = seriesStyle(0);
    LegendEntry outside{QStringLiteral("Outside the limits"), LegendSample::Marker, QPen(kAlarm)};
    outside.marker = MarkerShape::Square;
    outside.filledMarker = false;
    const std::vector<LegendEntry> legend{
        seriesEntry(QStringLiteral("Daily fail rate"), rateStyle, LegendSample::LineAndMarker),
        {QStringLiteral("Centre line (%1 %)")
             .arg(QLocale::c().toString(chart.centre * kPercent, 'f', 1)),
         LegendSample::Line, centrePen()},
        {QStringLiteral("Control limits (3 sigma)"), LegendSample::Line, limitPen()},
        outside,
    };
    frame.layout(chart.title, legend, dayAxisTitle(first, last), QStringLiteral("Fail rate (%)"),
                 axis.ticks());
    frame.drawValueAxis(axis);
    frame.drawDayAxis(days);
    if (input.empty()) {
        frame.drawNoData();
        return;
    }

    QPainter &painter = frame.painter();
    drawSteps(frame, days, axis, input, &FailRateDay::upper);
    drawSteps(frame, days, axis, input, &FailRateDay::lower);
    painter.setPen(centrePen());
    const double centreY = frame.y(axis.position(chart.centre * kPercent));
    painter.drawLine(QPointF(frame.plot().left(), centreY), QPointF(frame.plot().right(), centreY));

    QPolygonF rates;
    for (const FailRateDay &day : input) {
        rates << QPointF(frame.x(days.position(day.day)),
                         frame.y(axis.position(*day.rate * kPercent)));
    }
    painter.setPen(seriesPen(rateStyle, 1.1));
    painter.drawPolyline(rates);
    QPolygonF outsideDays;
    for (std::size_t i = 0; i < input.size(); ++i) {
        if (input[i].outsideLimits) {
            outsideDays << rates[static_cast<int>(i)];
        }
    }
    drawMarkers(painter, outsideDays, MarkerShape::Square, kAlarm, false, 12.0);
    drawMarkers(painter, rates, rateStyle.marker, rateStyle.colour, rateStyle.filledMarker, 5.5);
}

} // namespace nxa::charts
