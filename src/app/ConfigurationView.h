#pragma once

#include "app/Session.h"
#include "app/UserDialogs.h"

#include <QWidget>

namespace nxa::config {
class StationConfig;
}

namespace nxa::app {

// The Configuration view of the main window: source caption, the General,
// Settings and Users tabs over the station configuration, and the File, LAN
// and Print buttons. Placed by the main window at (0, 90), 800 x 620, so its
// children sit at the main window's positions minus 90 in y.
class ConfigurationView : public QWidget {
    Q_OBJECT
public:
    ConfigurationView(config::StationConfig &config, Session &session, UserDialogs &dialogs,
                      QWidget *parent = nullptr);
    ~ConfigurationView() override;

private:
    config::StationConfig &m_config;
    Session &m_session;
    UserDialogs &m_dialogs;
};

} // namespace nxa::app
