#include "charts/ChartPainting.h"

#include "charts/ChartFrame.h"
#include "charts/ChartPainters.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>

namespace nxa::charts {

namespace {

template <class... Kinds> struct Overloaded : Kinds... { using Kinds::operator()...; };

} // namespace

void paintChart(const Chart &chart, QPainter &painter, const QRectF &target) {
    if (target.isEmpty()) {
        return;
    }
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / kChartSize.width(), target.height() / kChartSize.height());
    ChartFrame frame(painter, QRectF(QPointF(0, 0), QSizeF(kChartSize)));
    std::visit(Overloaded{
                   [&](const PersonTrend &c) { paintPersonTrend(c, frame); },
                   [&](const FailRateChart &c) { paintFailRate(c, frame); },
                   [&](const DailyAttemptsChart &c) { paintDailyAttempts(c, frame); },
                   [&](const CategoryChart &c) { paintCategories(c, frame); },
               },
               chart);
    painter.restore();
}

QString chartTitle(const Chart &chart) {
    return std::visit([](const auto &c) { return c.title; }, chart);
}

QByteArray chartSvg(const Chart &chart) {
    QByteArray svg;
    QBuffer buffer(&svg);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(kChartSize);
    generator.setViewBox(QRect(QPoint(0, 0), kChartSize));
    // The generator writes title and description as they are, unescaped.
    generator.setTitle(chartTitle(chart).toHtmlEscaped());
    generator.setDescription(QStringLiteral("Brontel NXA Manager chart"));
    QPainter painter;
    if (!painter.begin(&generator)) {
        return {};
    }
    paintChart(chart, painter, QRectF(QPointF(0, 0), QSizeF(kChartSize)));
    painter.end();
    return svg;
}

QImage chartImage(const Chart &chart, double scale) {
    const QSize size = (QSizeF(kChartSize) * std::clamp(scale, 0.05, 20.0)).toSize();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintChart(chart, painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    return image;
}

} // namespace nxa::charts
