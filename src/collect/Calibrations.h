#pragma once

#include "analysis/AnalysisInput.h"
#include "collect/Archive.h"

#include <QHash>
#include <QStringList>

#include <vector>

namespace nxa::collect {

// The archive's calibrations table: one row per calibration or verification
// of a tester, by the tester's key so that renaming its group keeps them.
// Rows are only ever added; a mistaken one is corrected by a later row.
QStringList calibrationStatements(const Archive &archive);

// Adds one calibration of the tester in its own transaction; empty on
// success, else the error.
QString addCalibration(Archive &archive, const QString &testerKey,
                       const analysis::Calibration &calibration);

struct CalibrationsRead {
    // By tester key, oldest first by day, then in the order recorded.
    QHash<QString, std::vector<analysis::Calibration>> byKey;
    QString error;
};
CalibrationsRead readCalibrations(Archive &archive);

} // namespace nxa::collect
