#pragma once

#include "analysis/AnalysisInput.h"
#include "analysis/DriftWatch.h"

#include <QString>
#include <QtGlobal>

#include <cstdint>

// How the analysis's values read in the check's lines, the report and the
// manager's trend window, so that all three say the same thing alike.
namespace nxa::audit {

// "2026-12-06" of a Julian day.
QString dayText(int julianDay);
// "07:43:42" of seconds since midnight.
QString timeText(int second);
// "WS", "L", "R", "L+R": the measure as the datalogger's columns name it.
QString measureName(analysis::Measure measure);
std::int32_t measuredValue(const analysis::Access &access, analysis::Measure measure);
// "WS 48000, L 1779, R 1890": what the tester measured, in kOhm.
QString measuredText(const analysis::Access &access);
// "WS + Shoes", "WS", "Shoes", or "L+R" in HandFree mode: what a profile checks.
QString checkText(analysis::Check check, analysis::Mode mode);
// "1 day", "3 days": a count with the noun that agrees with it.
QString countText(qint64 count, const QString &one, const QString &many);
// A slope in log10 per day as the resistance's change per day, in percent
// with its sign ("+3.5"); "-" when there is none.
QString slopePercentText(double log10PerDay, int decimals);

} // namespace nxa::audit
