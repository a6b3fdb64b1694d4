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
    for (const double factor : {1.0, 2.0, 2.5, 5.0})
        if (factor * magnitude >= raw)
            return factor * magnitude;
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
    if (kohm == 0.0)
        return QStringLiteral("0 kΩ");
    for (const auto &[scale, unit] : units)
        if (std::abs(kohm) >= scale)
            return numberText(kohm / scale) + QLatin1Char(' ') + QString::fromUtf8(unit);
    return numberText(kohm * 1e3) + QStringLiteral(" Ω");
}

ValueAxis ValueAxis::linear(double minValue, double maxValue) {
    ValueAxis axis;
    double low =
        std::isfinite(minValue) ? std::clamp(std::min(minValue, 0.0), -kLargest, 0.0) : 0.0;
    double high = std::isfinite(maxValue) ? std::clamp(maxValue, low, kLargest) : 0.0;
    if (high - low <= 0.0)
        high = low + 1.0;
    const double step = niceStep((high - low) * 1.04, 5);
    axis.m_low = std::floor(low / step) * step;
    axis.m_high = std::ceil(high * 1.04 / step) * step;
    for (double value = axis.m_low; value <= axis.m_high + step / 2; value += step)
        axis.m_ticks.push_back({axis.position(value), numberText(value)});
    return axis;
}

ValueAxis ValueAxis::resistance(const std::vector<double> &kohm) {
    ValueAxis axis;
    axis.m_log = true;
    double smallest = kLargest;
    double largest = 0.0;
    bool zero = false;
    for (const double value : kohm) {
        if (!std::isfinite(value))
            continue;
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
    // One or two decades give two or three labels: too few to read a value
    // between them, so 2 and 5 of each decade are labelled as well.
    const std::vector<double> within =
        decades <= 2 ? std::vector<double>{1.0, 2.0, 5.0} : std::vector<double>{1.0};
    for (int decade = 0; decade <= decades; decade += every) {
        for (const double factor : within) {
            if (decade == decades && factor > 1.0)
                break;
            const double value = factor * std::pow(10.0, axis.m_low + decade);
            axis.m_ticks.push_back({axis.position(value), resistanceText(value)});
        }
    }
    if (zero)
        axis.m_ticks.insert(axis.m_ticks.begin(), {0.0, resistanceText(0.0)});
    return axis;
}

double ValueAxis::position(double value) const {
    if (!m_log)
        return std::clamp((value - m_low) / (m_high - m_low), 0.0, 1.0);
    if (!(value > 0.0))
        return 0.0;
    const double share = (std::log10(value) - m_low) / (m_high - m_low);
    return m_zeroStrip + (1.0 - m_zeroStrip) * std::clamp(share, 0.0, 1.0);
}

bool ValueAxis::contains(double value) const {
    if (!m_log)
        return value >= m_low && value <= m_high;
    return value > 0.0 && std::log10(value) >= m_low && std::log10(value) <= m_high;
}

DayAxis::DayAxis(int firstDay, int lastDay)
    : m_first(std::min(firstDay, lastDay)), m_last(std::max(firstDay, lastDay)) {}

double DayAxis::position(double day) const {
    return (day - m_first + 0.5) / dayCount();
}

namespace {

enum class TickUnit { Day, Week, Month, Year };

struct TickStep {
    TickUnit unit;
    int count;
};

// The tick days of a step from first to last, each on a whole unit.
std::vector<QDate> tickDates(const QDate &first, const QDate &last, TickStep step) {
    std::vector<QDate> dates;
    QDate date = first;
    switch (step.unit) {
    case TickUnit::Day:
        break;
    case TickUnit::Week:
        date = first.addDays((8 - first.dayOfWeek()) % 7);
        break;
    case TickUnit::Month:
        date = QDate(first.year(), first.month(), 1);
        if (date < first)
            date = date.addMonths(1);
        while ((date.month() - 1) % step.count != 0)
            date = date.addMonths(1);
        break;
    case TickUnit::Year:
        date = QDate(first.year(), 1, 1);
        if (date < first)
            date = date.addYears(1);
        while (date.year() % step.count != 0)
            date = date.addYears(1);
        break;
    }
    for (; date.isValid() && date <= last;) {
        dates.push_back(date);
        switch (step.unit) {
        case TickUnit::Day:
            date = date.addDays(step.count);
            break;
        case TickUnit::Week:
            date = date.addDays(7LL * step.count);
            break;
        case TickUnit::Month:
            date = date.addMonths(step.count);
            break;
        case TickUnit::Year:
            date = date.addYears(step.count);
            break;
        }
    }
    return dates;
}

QString tickLabel(const QDate &date, TickUnit unit, bool withYear) {
    const QLocale c = QLocale::c();
    switch (unit) {
    case TickUnit::Day:
    case TickUnit::Week:
        return c.toString(date, withYear ? QStringLiteral("d MMM yyyy") : QStringLiteral("d MMM"));
    case TickUnit::Month:
        return c.toString(date, withYear ? QStringLiteral("MMM yyyy") : QStringLiteral("MMM"));
    case TickUnit::Year:
        return QString::number(date.year());
    }
    return {};
}

} // namespace

std::vector<Tick> DayAxis::ticks(double length, const TextWidth &width) const {
    constexpr double kLabelGap = 8.0;
    static const std::array<TickStep, 9> steps{{{TickUnit::Day, 1},
                                                {TickUnit::Day, 2},
                                                {TickUnit::Week, 1},
                                                {TickUnit::Week, 2},
                                                {TickUnit::Month, 1},
                                                {TickUnit::Month, 2},
                                                {TickUnit::Month, 3},
                                                {TickUnit::Month, 6},
                                                {TickUnit::Year, 1}}};
    const QDate first = QDate::fromJulianDay(m_first);
    const QDate last = QDate::fromJulianDay(m_last);
    const bool yearsDiffer = first.year() != last.year();
    const auto labelled = [&](TickStep step) {
        std::vector<Tick> ticks;
        int year = first.year();
        for (const QDate &date : tickDates(first, last, step)) {
            // The first label names the year when the axis spans more than one.
            const bool withYear = ticks.empty() ? yearsDiffer : date.year() != year;
            year = date.year();
            ticks.push_back({position(static_cast<double>(date.toJulianDay())),
                             tickLabel(date, step.unit, withYear)});
        }
        return ticks;
    };
    const auto keepApart = [&](const std::vector<Tick> &ticks) {
        for (std::size_t i = 1; i < ticks.size(); ++i)
            if ((ticks[i].position - ticks[i - 1].position) * length <
                (width(ticks[i].label) + width(ticks[i - 1].label)) / 2.0 + kLabelGap)
                return false;
        return true;
    };
    // Only steps that could keep their labels apart are labelled at all: an
    // absurd span of days must not make millions of labels first.
    const auto fewEnough = [&](TickStep step) {
        static const std::array<double, 4> unitDays{1.0, 7.0, 30.4, 365.25};
        return dayCount() / (unitDays[static_cast<std::size_t>(step.unit)] * step.count) <=
               length / 10.0 + 2.0;
    };
    // A coarser unit may find no whole unit on a short axis; it is not taken then.
    const std::size_t wanted = dayCount() > 1.0 ? 2 : 1;
    for (const TickStep step : steps) {
        if (!fewEnough(step))
            continue;
        std::vector<Tick> ticks = labelled(step);
        if (ticks.size() >= wanted && keepApart(ticks))
            return ticks;
    }
    std::vector<Tick> ticks;
    for (const int years : {2, 5, 10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000}) {
        if (!fewEnough({TickUnit::Year, years}))
            continue;
        ticks = labelled({TickUnit::Year, years});
        if (keepApart(ticks))
            break;
    }
    return ticks;
}

QString dayAxisTitle(int firstDay, int lastDay) {
    const auto iso = [](int day) { return QDate::fromJulianDay(day).toString(Qt::ISODate); };
    if (firstDay == lastDay)
        return QStringLiteral("Date (%1)").arg(iso(firstDay));
    return QStringLiteral("Date (%1 to %2)").arg(iso(firstDay), iso(lastDay));
}

} // namespace nxa::charts
