#pragma once

#include <QString>

#include <functional>
#include <vector>

// Axes own the mapping from a value to a place along them and choose their
// own ticks; series only ask them for positions.
namespace nxa::charts {

struct Tick {
    double position = 0.0; // 0 at the start of the axis, 1 at its end
    QString label;
};

// "1 kΩ", "100 kΩ", "1 MΩ", "2.5 GΩ": a resistance given in kOhm.
QString resistanceText(double kohm);

class ValueAxis {
public:
    // From 0 (or the lowest value, when negative) to at least maxValue, in round steps.
    static ValueAxis linear(double minValue, double maxValue);
    // Whole decades holding every positive value, labelled on each decade,
    // and at 2 and 5 of each when there are only one or two; when some value
    // is 0 or less, a strip below the lowest decade holds it, labelled "0 kΩ".
    static ValueAxis resistance(const std::vector<double> &kohm);

    // 0 at the bottom of the axis, 1 at its top; values beyond it stay on its ends.
    double position(double value) const;
    // Whether the value lies on the axis rather than beyond one of its ends.
    bool contains(double value) const;
    const std::vector<Tick> &ticks() const { return m_ticks; }
    bool isLog() const { return m_log; }
    // Height of the strip for values of 0 or less, as a share of the axis; 0 when there is none.
    double zeroStrip() const { return m_zeroStrip; }

private:
    bool m_log = false;
    double m_low = 0.0;  // log10 of the value on a log axis
    double m_high = 1.0; // log10 of the value on a log axis
    double m_zeroStrip = 0.0;
    std::vector<Tick> m_ticks;
};

// One slot per day, firstDay to lastDay. Ticks fall on whole days, weeks
// (Mondays), months or years, whichever is the finest whose labels keep
// apart: "7 Dec", "Jan", "2027"; a label where the year changes carries it
// ("4 Jan 2027", "Jan 2027").
class DayAxis {
public:
    DayAxis(int firstDay, int lastDay);

    int firstDay() const { return m_first; }
    int lastDay() const { return m_last; }
    double dayCount() const { return static_cast<double>(m_last) - m_first + 1.0; }
    // Centre of the day's slot, 0 to 1.
    double position(double day) const;
    using TextWidth = std::function<double(const QString &)>;
    // Ticks whose labels, measured by width, keep a gap between them on an axis of length.
    std::vector<Tick> ticks(double length, const TextWidth &width) const;

private:
    int m_first = 0;
    int m_last = 0;
};

// "Date (2026-09-08 to 2026-12-07)".
QString dayAxisTitle(int firstDay, int lastDay);

} // namespace nxa::charts
