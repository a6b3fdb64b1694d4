#pragma once

#include "app/dialogs/UserDialogs.h"

namespace nxa::records {
class DataloggerTable;
}
namespace nxa::config {
class StationConfig;
}

namespace nxa::app {

// Each asks what it needs through `dialogs` (title, printer) and prints;
// a cancelled dialog prints nothing and shows nothing.
void printDataloggerReport(const records::DataloggerTable &table, bool hideValues,
                           UserDialogs &dialogs);
void printProfilesReport(const config::StationConfig &config, UserDialogs &dialogs);
void printUsersReport(const config::StationConfig &config, UserDialogs &dialogs);

} // namespace nxa::app
