#pragma once

#include "report/Canvas.h"

#include <QString>

namespace nxa::config {
class StationConfig;
}

namespace nxa::report {

// "Brontel NXA " + peripheral number + " Profiles".
QString profilesDocumentName(const config::StationConfig &config);

// Identity, security level, mode, test voltage and the table of the ten
// profiles plus the visitors profile, as the General and Settings tabs hold them.
void profilesReport(Canvas &canvas, const config::StationConfig &config);

} // namespace nxa::report
