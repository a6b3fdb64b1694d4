#pragma once

#include "report/Canvas.h"

#include <QString>

namespace nxa::config {
class StationConfig;
}

namespace nxa::report {

// "Brontel NXA " + peripheral number + " Users".
QString usersDocumentName(const config::StationConfig &config);

// The active users with number, name, profile and user code, on the narrower
// table between three side margins on either side.
void usersReport(Canvas &canvas, const config::StationConfig &config);

} // namespace nxa::report
