#pragma once

#include "analysis/AnalysisInput.h"
#include "collect/CollectConfig.h"

#include <QDate>
#include <QStringList>

#include <optional>

namespace nxa::collect {

class Archive;

struct PlantRequest {
    QDate from;          // first day of records read
    QDate to;            // last day of records read
    QStringList testers; // by name; empty: every tester of the archive and the configuration
    qint64 nowMs = 0;
};

struct PlantRead {
    std::optional<analysis::Plant> plant;
    // Records without a valid date and time, whole archive, per plant tester.
    std::vector<qint64> invalidTimes;
    QString error;
    bool unknownTester = false; // the error names a tester nobody knows
};

// What the analysis needs from the archive: the accesses of the chosen days
// with a valid time, every configuration snapshot of the chosen testers, and
// their collection attempts. Testers are called by their name in the
// configuration, or by the name they were last collected under when the
// configuration no longer holds them; a configured tester never collected is
// there too, with nothing.
PlantRead readPlant(Archive &archive, const CollectConfig &config, const PlantRequest &request);
// The same from the configuration's archive, opened for reading and closed
// again before the analysis starts.
PlantRead readPlant(const CollectConfig &config, const PlantRequest &request);

} // namespace nxa::collect
