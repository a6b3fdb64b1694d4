#pragma once

#include "common/Notice.h"
#include "link/LinkHooks.h"

#include <functional>

namespace nxa::app {

class OperationCloseWatch;
class OperationStatusBar;

// The link's view of an operation window: events pumped through the close
// watch, progress on the status bar, the "Network Error" box through
// `notify`.
link::LinkHooks operationLinkHooks(OperationCloseWatch &watch, OperationStatusBar *statusBar,
                                   std::function<void(const Notice &)> notify);

// Processes window events until `done` holds or a close request came, or
// until `timeoutMs` passes when it is not negative.
void waitForWindowEvents(OperationCloseWatch &watch, const std::function<bool()> &done,
                         int timeoutMs = -1);

} // namespace nxa::app
