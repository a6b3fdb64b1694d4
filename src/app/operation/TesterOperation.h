#pragma once

#include "app/dialogs/UserDialogs.h"
#include "app/shared/Session.h"
#include "link/LinkTimings.h"

#include <functional>

class QWidget;

namespace nxa::records {
class DataloggerTable;
}
namespace nxa::config {
class StationConfig;
}
namespace nxa::link {
class TesterConnection;
}

namespace nxa::app {

class OperationWindow;

enum class OperationCode { Download, DownloadConfig, UploadConfig };

// What an operation may change, and whom to tell when it did.
struct OperationTargets {
    records::DataloggerTable *table = nullptr;
    config::StationConfig *config = nullptr;
    // Called before and after the table or the configuration is changed, so
    // views can reset their models.
    std::function<void()> beforeTableChange;
    std::function<void()> afterTableChange;
    std::function<void()> afterConfigChange;
    // Receives the configuration source caption (the tester address) after a
    // successful configuration download or upload.
    std::function<void(const QString &)> setConfigCaption;
};

// Opens the operation window owned by `owner`, runs until the operation
// ends and closes the window. In interactive mode every outcome is shown
// through `dialogs`.
void runTesterOperation(OperationCode code, Session &session, UserDialogs &dialogs, QWidget *owner,
                        const OperationTargets &targets);

// "Download", "Download Config" or "Upload Config": button text and title.
QString actionText(OperationCode code);

// How every tester operation of the process runs. Production keeps the
// defaults; tests shorten the time limits and step in at fixed points.
struct OperationSettings {
    link::LinkTimings timings;
    // Called on every pass of the link's event pump, before the window
    // events are taken (a test posts a close request here).
    std::function<void()> beforePump;
    // Called whenever the interactive window waits for the user: when it has
    // opened and after every outcome that keeps it open. A test fills the
    // fields and clicks the button here, or closes the window.
    std::function<void(OperationWindow &)> onWaitingForUser;
};
OperationSettings &operationSettings();

// The one connection of the process: the last operation's stays open until
// the next operation or the end of the application.
link::TesterConnection &programConnection();

} // namespace nxa::app
