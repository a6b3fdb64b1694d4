#include "app/ConfigurationView.h"

namespace nxa::app {

// Empty until the configuration tabs land.
ConfigurationView::ConfigurationView(config::StationConfig &config, Session &session,
                                     UserDialogs &dialogs, QWidget *parent)
    : QWidget(parent), m_config(config), m_session(session), m_dialogs(dialogs) {}

ConfigurationView::~ConfigurationView() = default;

} // namespace nxa::app
