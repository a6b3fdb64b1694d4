#pragma once

#include "app/dialogs/UserDialogs.h"
#include "charts/ChartInputs.h"

#include <QStringList>

#include <vector>

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
// One page: the title, a line of text each, then the charts one below the other.
void printChartPage(const QString &title, const QStringList &lines,
                    const std::vector<charts::Chart> &charts, UserDialogs &dialogs);

} // namespace nxa::app
