#include "audit/AnalysisTexts.h"

#include "analysis/LocalTime.h"

#include <QDate>
#include <QStringList>

#include <cmath>

namespace nxa::audit {

using analysis::kSecondsPerHour;
using analysis::kSecondsPerMinute;

constexpr double kPercent = 100.0;

QString dayText(int julianDay) {
    return QDate::fromJulianDay(julianDay).toString(QStringLiteral("yyyy-MM-dd"));
}

QString timeText(int second) {
    return QStringLiteral("%1:%2:%3")
        .arg(second / kSecondsPerHour, 2, 10, QLatin1Char('0'))
        .arg(second % kSecondsPerHour / kSecondsPerMinute, 2, 10, QLatin1Char('0'))
        .arg(second % kSecondsPerMinute, 2, 10, QLatin1Char('0'));
}

QString measureName(analysis::Measure measure) {
    switch (measure) {
    case analysis::Measure::WristStrap:
        return QStringLiteral("WS");
    case analysis::Measure::LeftShoe:
        return QStringLiteral("L");
    case analysis::Measure::RightShoe:
        return QStringLiteral("R");
    case analysis::Measure::BothFeet:
        return QStringLiteral("L+R");
    }
    return {};
}

std::int32_t measuredValue(const analysis::Access &access, analysis::Measure measure) {
    switch (measure) {
    case analysis::Measure::WristStrap:
        return access.wsKohm;
    case analysis::Measure::LeftShoe:
        return access.lKohm;
    case analysis::Measure::RightShoe:
        return access.rKohm;
    case analysis::Measure::BothFeet:
        return access.lrKohm;
    }
    return analysis::kNotMeasured;
}

QString measuredText(const analysis::Access &access) {
    QStringList parts;
    for (analysis::Measure m : {analysis::Measure::WristStrap, analysis::Measure::LeftShoe,
                                analysis::Measure::RightShoe, analysis::Measure::BothFeet})
        if (measuredValue(access, m) != analysis::kNotMeasured)
            parts.append(QStringLiteral("%1 %2").arg(measureName(m)).arg(measuredValue(access, m)));
    return parts.join(QStringLiteral(", "));
}

QString checkText(analysis::Check check, analysis::Mode mode) {
    if (mode == analysis::Mode::HandFree)
        return QStringLiteral("L+R");
    switch (check) {
    case analysis::Check::WristStrapAndShoes:
        return QStringLiteral("WS + Shoes");
    case analysis::Check::WristStrap:
        return QStringLiteral("WS");
    case analysis::Check::Shoes:
        return QStringLiteral("Shoes");
    }
    return {};
}

QString countText(qint64 count, const QString &one, const QString &many) {
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? one : many);
}

QString slopePercentText(double log10PerDay, int decimals) {
    if (!std::isfinite(log10PerDay))
        return QStringLiteral("-");
    double percent = (std::pow(10.0, log10PerDay) - 1) * kPercent;
    // A slope that rounds to zero reads "+0.00", never "-0.00".
    const double scale = std::pow(10.0, decimals);
    if (std::round(percent * scale) == 0.0)
        percent = 0.0;
    return QStringLiteral("%1%2")
        .arg(percent >= 0 ? QStringLiteral("+") : QString())
        .arg(percent, 0, 'f', decimals);
}

} // namespace nxa::audit
