#include "charts/ChartFrame.h"
#include "charts/ChartPainters.h"

#include <QPainter>

#include <algorithm>

namespace nxa::charts {

void paintDailyAttempts(const DailyAttemptsChart &chart, ChartFrame &frame) {
    int first = std::min(chart.firstDay, chart.lastDay);
    int last = std::max(chart.firstDay, chart.lastDay);
    double highest = 0.0;
    for (const DayCounts &day : chart.days) {
        first = std::min(first, day.day);
        last = std::max(last, day.day);
        highest = std::max(highest,
                           static_cast<double>(std::max(day.passed, 0)) + std::max(day.failed, 0));
    }
    const ValueAxis axis = ValueAxis::linear(0.0, highest);
    const DayAxis days(first, last);
    const QPen outline(kInk, 0.6);
    const std::vector<LegendEntry> legend{
        {QStringLiteral("Passed"), LegendSample::Box, outline, QBrush(kPassFill)},
        {QStringLiteral("Failed"), LegendSample::Box, outline, QBrush(kFailFill)},
    };
    frame.layout(chart.title, legend, dayAxisTitle(first, last), QStringLiteral("Attempts per day"),
                 axis.ticks());
    frame.drawValueAxis(axis);
    if (chart.days.empty()) {
        frame.drawNoData();
    }

    QPainter &painter = frame.painter();
    const double slot = frame.plot().width() / days.dayCount();
    // Narrow bars lose their gap and outline so that 90 days stay legible.
    const double width = slot >= 6.0 ? slot * 0.75 : slot;
    painter.setPen(slot >= 6.0 ? outline : QPen(Qt::NoPen));
    // All passes, then all fails: two paint states for the whole chart.
    QList<QRectF> passes;
    QList<QRectF> fails;
    const double base = frame.y(axis.position(0.0));
    for (const DayCounts &day : chart.days) {
        const double centre = frame.x(days.position(day.day));
        const double passed = std::max(day.passed, 0);
        const double passTop = frame.y(axis.position(passed));
        const double failTop = frame.y(axis.position(passed + std::max(day.failed, 0)));
        passes << QRectF(QPointF(centre - width / 2, passTop), QPointF(centre + width / 2, base));
        fails << QRectF(QPointF(centre - width / 2, failTop), QPointF(centre + width / 2, passTop));
    }
    painter.setBrush(kPassFill);
    painter.drawRects(passes);
    painter.setBrush(kFailFill);
    painter.drawRects(fails);
    painter.setBrush(Qt::NoBrush);
    frame.drawDayAxis(days);
}

} // namespace nxa::charts
