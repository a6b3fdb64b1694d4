#pragma once

#include "app/Session.h"
#include "app/UserDialogs.h"

#include <functional>

class QWidget;

namespace nxa::records {
class DataloggerTable;
}
namespace nxa::config {
class StationConfig;
}

namespace nxa::app {

enum class OperationCode : char { Download = 'D', DownloadConfig = 'd', UploadConfig = 'u' };

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
void runTesterOperation(OperationCode code, Session &session, UserDialogs &dialogs,
                        QWidget *owner, const OperationTargets &targets);

} // namespace nxa::app
