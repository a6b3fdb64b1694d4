#pragma once

#include <QString>

#include <optional>
#include <variant>
#include <vector>

// What the charts draw: plain values that the collector's report and the
// manager fill from their own results. Days are Julian day numbers
// (QDate::toJulianDay); resistances are in kOhm.
namespace nxa::charts {

struct DayValue {
    int day = 0;
    double value = 0.0;
};

// The straight line of a fit in log10 of the resistance, given by its two ends.
struct FittedLine {
    QString name;
    DayValue from;
    DayValue to;
};

// A day with a failed test: the lowest and highest reading of the measure
// that day, so that a fail the day's median hides still shows.
struct FailDay {
    int day = 0;
    double lowestKohm = 0.0;
    double highestKohm = 0.0;
};

struct TrendSeries {
    QString name;
    // One value a day; a value that is not finite is left out.
    std::vector<DayValue> points;
    std::vector<FailDay> fails;
    // Drawn only when given: the caller leaves it out when the fit is not significant.
    std::optional<FittedLine> fit;
    // Where the fit is projected to cross a limit; the fitted line is drawn on to it.
    std::optional<DayValue> crossing;
};

// The profile's limits; a missing side checks nothing and its band runs to the axis end.
struct LimitBand {
    QString name;
    std::optional<double> minKohm;
    std::optional<double> maxKohm;
};

// Resistances of one person against their profile's limits, on a log axis.
struct PersonTrend {
    QString title;
    // The period shown; the axis widens to later points and to the crossings.
    // Points before firstDay are left out and counted in the chart's note,
    // with readingsBefore: readings the caller left out itself.
    int firstDay = 0;
    int lastDay = 0;
    std::vector<TrendSeries> series;
    std::optional<LimitBand> band;
    int readingsBefore = 0;
};

struct FailRateDay {
    int day = 0;
    // Fail rate 0-1; none on a day without tests.
    std::optional<double> rate;
    // Control limits of that day, 0-1; they vary with the day's number of tests.
    double lower = 0.0;
    double upper = 0.0;
    bool outsideLimits = false;
};

// A tester's daily fail rate with its centre line and control limits.
struct FailRateChart {
    QString title;
    int firstDay = 0;
    int lastDay = 0;
    double centre = 0.0; // 0-1
    std::vector<FailRateDay> days;
};

struct DayCounts {
    int day = 0;
    int passed = 0;
    int failed = 0;
};

// Passes and fails of each day as stacked bars.
struct DailyAttemptsChart {
    QString title;
    int firstDay = 0;
    int lastDay = 0;
    std::vector<DayCounts> days;
};

struct CategoryBar {
    QString label;
    double value = 0.0;
    // A spread around the value drawn as a whisker (quartiles, for example).
    std::optional<double> low;
    std::optional<double> high;
};

// Bars over named categories: the histogram of attempts to pass, time to pass by hour.
struct CategoryChart {
    QString title;
    QString categoryAxis;
    QString valueAxis;
    QString valueName;
    QString spreadName;
    std::vector<CategoryBar> bars;
};

using Chart = std::variant<PersonTrend, FailRateChart, DailyAttemptsChart, CategoryChart>;

// Histogram of the attempts people needed to pass: counts[k] people passed at
// attempt k + 1; the last bin holds that many attempts and more.
CategoryChart attemptsToPass(const QString &title, const std::vector<int> &counts);

struct HourSpread {
    int hour = 0; // 0-23
    double median = 0.0;
    std::optional<double> low;
    std::optional<double> high;
};

// Minutes from the first attempt to the pass by hour of the first attempt;
// hours without retests stay empty.
CategoryChart timeToPassByHour(const QString &title, const std::vector<HourSpread> &hours);

} // namespace nxa::charts
