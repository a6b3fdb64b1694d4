#include "charts/Axis.h"

#include <QDate>
#include <QLocale>

#include <algorithm>
#include <array>
#include <cmath>

namespace nxa::charts {

namespace {

// Values are clamped here, far beyond any resistance a tester reports, so
// that an absurd input still gives a finite axis of a few dozen decades at most.
constexpr double kLargest = 1e15;
constexpr double kSmallestPositive = 1e-6;
constexpr double kZeroStripShare = 0.08;

double niceStep(double range, int wantedSteps) {
    const double raw = range / wantedSteps;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double factor : {1.0, 2.0, 2.5, 5.0}) {
        if (factor * magnitude >= raw) {
            return factor * magnitude;
        }
    }
    return 10.0 * magnitude;
}

QString numberText(double value) {
    // %g drops trailing zeros; round first so 0.30000000000000004 reads 0.3.
    return QLocale::c().toString(std::round(value * 1e6) / 1e6, 'g', 6);
}

} // namespace

QString resistanceText(double kohm) {
    static const std::array<std::pair<double, const char *>, 4> units{{
        {1e9, "TΩ"},
        {1e6, "GΩ"},
        {1e3, "MΩ"},
        {1.0, "kΩ"},
    }};
    if (kohm == 0.0) {
        return QStringLiteral("0 kΩ");
    }
    for (const auto &[scale, unit] : units) {
        if (std::abs(kohm) >= scale) {
            return numberText(kohm / scale) + QLatin1Char(' ') + QString::fromUtf8(unit);
        }
    }
    return numberText(kohm * 1e3) + QStringLiteral(" Ω");
}

ValueAxis ValueAxis::linear(double minValue, double maxValue) {
    ValueAxis axis;
    double low =
        std::isfinite(minValue) ? std::clamp(std::min(minValue, 0.0), -kLargest, 0.0) : 0.0;
    double high = std::isfinite(maxValue) ? std::clamp(maxValue, low, kLargest) : 0.0;
    if (high - low <= 0.0) {
        high = low + 1.0;
    }
    const double step = niceStep((high - low) * 1.04, 5);
    axis.m_low = std::floor(low / step) * step;
    axis.m_high = std::ceil(high * 1.04 / step) * step;
    for (double value = axis.m_low; value <= axis.m_high + step / 2; value += step) {
        axis.m_ticks.push_back({axis.position(value), numberText(value)});
    }
    return axis;
}

ValueAxis ValueAxis::resistance(const std::vector<double> &kohm) {
    ValueAxis axis;
    axis.m_log = true;
    double smallest = kLargest;
    double largest = 0.0;
    bool zero = false;
    for (const double value : kohm) {
        if (!std::isfinite(value)) {
            continue;
        }
        if (value <= 0.0) {
            zero = true;
            continue;
        }
        const double clamped = std::clamp(value, kSmallestPositive, kLargest);
        smallest = std::min(smallest, clamped);
        largest = std::max(largest, clamped);
    }
    if (largest == 0.0) {
        // Nothing positive to place: the range a tester's limits usually span.
        axis.m_low = 2.0;
        axis.m_high = 6.0;
    } else {
        // A value on a whole decade (a limit of 100 kΩ) gets room beyond it.
        axis.m_low = std::floor(std::log10(smallest) - 0.1);
        axis.m_high = std::ceil(std::log10(largest) + 0.1);
    }
    axis.m_zeroStrip = zero ? kZeroStripShare : 0.0;
    const int decades = static_cast<int>(axis.m_high - axis.m_low);
    const int every = decades > 8 ? (decades + 7) / 8 : 1;
    for (int decade = 0; decade <= decades; decade += every) {
        const double exponent = axis.m_low + decade;
        axis.m_ticks.push_back(
            {axis.position(std::pow(10.0, exponent)), resistanceText(std::pow(10.0, exponent))});
    }
    if (zero) {
        axis.m_ticks.insert(axis.m_ticks.begin(), {0.0, resistanceText(0.0)});
    }
    return axis;
}

double ValueAxis::position(double value) const {
    if (!m_log) {
        return std::clamp((value - m_low) / (m_high - m_low), 0.0, 1.0);
    }
    if (!(value > 0.0)) {
        return 0.0;
    }
    const double share = (std::log10(value) - m_low) / (m_high - m_low);
    return m_zeroStrip + (1.0 - m_zeroStrip) * std::clamp(share, 0.0, 1.0);
}

DayAxis::DayAxis(int firstDay, int lastDay)
    : m_first(std::min(firstDay, lastDay)), m_last(std::max(firstDay, lastDay)) {}

double DayAxis::position(double day) const {
    return (day - m_first + 0.5) / dayCount();
}

std::vector<Tick> DayAxis::ticks(double length, double labelWidth) const {
    static const std::array<double, 9> steps{1, 2, 7, 14, 28, 56, 91, 182, 364};
    const double needed = length > 0.0 ? labelWidth * 1.4 * dayCount() / length : dayCount();
    double step = std::ceil(needed / 364.0) * 364.0;
    for (const double candidate : steps) {
        if (candidate >= needed) {
            step = candidate;
            break;
        }
    }
    std::vector<Tick> ticks;
    for (double day = m_first; day <= m_last; day += step) {
        const QDate date = QDate::fromJulianDay(static_cast<qint64>(day));
        ticks.push_back({position(day), QLocale::c().toString(date, QStringLiteral("d MMM"))});
    }
    return ticks;
}

QString dayAxisTitle(int firstDay, int lastDay) {
    const auto iso = [](int day) { return QDate::fromJulianDay(day).toString(Qt::ISODate); };
    if (firstDay == lastDay) {
        return QStringLiteral("Date (%1)").arg(iso(firstDay));
    }
    return QStringLiteral("Date (%1 to %2)").arg(iso(firstDay), iso(lastDay));
}

} // namespace nxa::charts
