#include "charts/ChartFrame.h"
#include "charts/ChartPainters.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace nxa::charts {

namespace {

const QColor kBarFill{0x56, 0xb4, 0xe9};

QPen whiskerPen() {
    return QPen(kInk, 1.3);
}

} // namespace

CategoryChart attemptsToPass(const QString &title, const std::vector<int> &counts) {
    CategoryChart chart{title,
                        QStringLiteral("Attempts to pass"),
                        QStringLiteral("People"),
                        QStringLiteral("People"),
                        {},
                        {}};
    for (std::size_t i = 0; i < counts.size(); ++i) {
        QString label = QString::number(i + 1);
        if (i + 1 == counts.size() && counts.size() > 1) {
            label += QLatin1Char('+');
        }
        chart.bars.push_back({label, static_cast<double>(counts[i]), {}, {}});
    }
    return chart;
}

CategoryChart timeToPassByHour(const QString &title, const std::vector<HourSpread> &hours) {
    CategoryChart chart{title,
                        QStringLiteral("Hour of the first attempt"),
                        QStringLiteral("Minutes to pass"),
                        QStringLiteral("Median"),
                        QStringLiteral("Quartiles"),
                        {}};
    for (int hour = 0; hour < 24; ++hour) {
        chart.bars.push_back(
            {QStringLiteral("%1").arg(hour, 2, 10, QLatin1Char('0')), std::nan(""), {}, {}});
    }
    for (const HourSpread &spread : hours) {
        if (spread.hour >= 0 && spread.hour < 24) {
            CategoryBar &bar = chart.bars[static_cast<std::size_t>(spread.hour)];
            bar.value = spread.median;
            bar.low = spread.low;
            bar.high = spread.high;
        }
    }
    return chart;
}

void paintCategories(const CategoryChart &chart, ChartFrame &frame) {
    double highest = 0.0;
    bool anyBar = false;
    bool anySpread = false;
    std::vector<QString> labels;
    for (const CategoryBar &bar : chart.bars) {
        labels.push_back(bar.label);
        for (const auto &value : {std::optional<double>(bar.value), bar.high}) {
            if (value && std::isfinite(*value)) {
                highest = std::max(highest, *value);
            }
        }
        anyBar = anyBar || std::isfinite(bar.value);
        anySpread = anySpread || (std::isfinite(bar.value) && bar.low && bar.high);
    }
    const ValueAxis axis = ValueAxis::linear(0.0, highest);
    const QPen outline(kInk, 0.6);
    std::vector<LegendEntry> legend{
        {chart.valueName, LegendSample::Box, outline, QBrush(kBarFill)}};
    if (anySpread) {
        legend.push_back({chart.spreadName, LegendSample::Whisker, whiskerPen()});
    }
    frame.layout(chart.title, legend, chart.categoryAxis, chart.valueAxis, axis.ticks());
    frame.drawValueAxis(axis);
    if (!anyBar) {
        frame.drawNoData();
    }
    QPainter &painter = frame.painter();
    const double slot =
        frame.plot().width() / std::max<double>(1.0, static_cast<double>(chart.bars.size()));
    const double base = frame.y(0.0);
    for (std::size_t i = 0; i < chart.bars.size(); ++i) {
        const CategoryBar &bar = chart.bars[i];
        if (!std::isfinite(bar.value)) {
            continue;
        }
        const double centre = frame.plot().left() + (static_cast<double>(i) + 0.5) * slot;
        painter.setPen(outline);
        painter.setBrush(kBarFill);
        painter.drawRect(QRectF(QPointF(centre - slot * 0.35, frame.y(axis.position(bar.value))),
                                QPointF(centre + slot * 0.35, base)));
        painter.setBrush(Qt::NoBrush);
        if (bar.low && bar.high && std::isfinite(*bar.low) && std::isfinite(*bar.high)) {
            const double low = frame.y(axis.position(*bar.low));
            const double high = frame.y(axis.position(*bar.high));
            const double cap = std::min(4.0, slot * 0.2);
            painter.setPen(whiskerPen());
            painter.drawLine(QPointF(centre, low), QPointF(centre, high));
            painter.drawLine(QPointF(centre - cap, low), QPointF(centre + cap, low));
            painter.drawLine(QPointF(centre - cap, high), QPointF(centre + cap, high));
        }
    }
    frame.drawCategoryAxis(labels);
}

} // namespace nxa::charts
