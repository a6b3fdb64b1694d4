#pragma once

#include "analysis/AnalysisInput.h"

#include <QStringList>

namespace nxa::collect {

// The check's lines about the plant's ESD plan on `day`, one entry each,
// before names are made visible.

// "limits looser than the plan": profiles in force looser than the plan.
QStringList looserProfileLines(const analysis::Plant &plant, int day);
// "configuration changed": every limit, check, mode and user-table change
// first seen that day.
QStringList configurationChangeLines(const analysis::Plant &plant, int day);
// "calibration due": overdue, never calibrated, or the last one failed.
QStringList calibrationDueLines(const analysis::Plant &plant, int day);
// "to review: calibration due within 14 days".
QStringList calibrationSoonLines(const analysis::Plant &plant, int day);

} // namespace nxa::collect
