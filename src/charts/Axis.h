#pragma once

#include <QString>

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
    // Whole decades holding every positive value; when some value is 0 or
    // less, a strip below the lowest decade holds it, labelled "0 kΩ".
    static ValueAxis resistance(const std::vector<double> &kohm);

    // 0 at the bottom of the axis, 1 at its top; values beyond it stay on its ends.
    double position(double value) const;
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

// One slot per day, firstDay to lastDay; labels such as "7 Dec".
class DayAxis {
public:
    DayAxis(int firstDay, int lastDay);

    int firstDay() const { return m_first; }
    int lastDay() const { return m_last; }
    double dayCount() const { return static_cast<double>(m_last) - m_first + 1.0; }
    // Centre of the day's slot, 0 to 1.
    double position(double day) const;
    // Ticks spaced so that no two labels of labelWidth come closer than a gap on an axis of length.
    std::vector<Tick> ticks(double length, double labelWidth) const;

private:
    int m_first = 0;
    int m_last = 0;
};

// "Date (2026-09-08 to 2026-12-07)".
QString dayAxisTitle(int firstDay, int lastDay);

} // namespace nxa::charts
