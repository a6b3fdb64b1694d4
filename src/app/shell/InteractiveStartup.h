#pragma once

#include "app/shared/Session.h"

namespace nxa::app {

// Interactive start-up: preferences, fonts, splash, main window, tray icon,
// then the event loop. Needs a QApplication. Returns the process exit code.
int runInteractive(Session &session);

} // namespace nxa::app
