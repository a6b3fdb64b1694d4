#pragma once

#include "analysis/AnalysisInput.h"

#include <QDate>
#include <QString>

#include <optional>
#include <vector>

namespace nxa::collect {

// The status line of a tester's calibration on `today`: the last one and
// when the next is due.
QString calibrationStatusLine(const std::vector<analysis::Calibration> &calibrations,
                              std::optional<int> everyDays, const QDate &today);

} // namespace nxa::collect
