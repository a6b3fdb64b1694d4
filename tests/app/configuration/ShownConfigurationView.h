#pragma once

#include "app/ScriptedUserDialogs.h"
#include "app/configuration/ConfigurationView.h"
#include "app/shared/Session.h"
#include "config/StationConfig.h"

#include <QTest>

namespace nxa::app {

// A Configuration view on a working state of its own, shown at the size the
// main window gives it. Check exposed() before clicking on it.
struct ShownConfigurationView {
    config::StationConfig config;
    Session session;
    ScriptedUserDialogs dialogs;
    ConfigurationView view{config, session, dialogs};

    ShownConfigurationView() {
        view.resize(800, 620);
        view.show();
    }

    bool exposed() { return QTest::qWaitForWindowExposed(&view); }
};

} // namespace nxa::app
