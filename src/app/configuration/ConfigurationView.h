#pragma once

#include "app/dialogs/UserDialogs.h"
#include "app/shared/Session.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QTabWidget;
class QTimer;

namespace nxa::config {
class StationConfig;
}

namespace nxa::app {

class GeneralTab;
class SettingsTab;
class UsersTab;
enum class OperationCode;

// The Configuration view of the main window: source caption, the General,
// Settings and Users tabs over the station configuration, and the File, LAN
// and Print buttons. Placed by the main window at (0, 90), 800 x 620, so its
// children sit at the main window's positions minus 90 in y.
class ConfigurationView : public QWidget {
    Q_OBJECT
public:
    enum Tab { GeneralTabIndex, SettingsTabIndex, UsersTabIndex };

    ConfigurationView(config::StationConfig &config, Session &session, UserDialogs &dialogs,
                      QWidget *parent = nullptr);
    ~ConfigurationView() override;

    QLabel *caption() const { return m_caption; }
    QTabWidget *tabs() const { return m_tabs; }
    GeneralTab *generalTab() const { return m_general; }
    SettingsTab *settingsTab() const { return m_settings; }
    UsersTab *usersTab() const { return m_users; }
    QPushButton *importButton() const { return m_import; }
    QPushButton *exportButton() const { return m_export; }
    QPushButton *downloadButton() const { return m_download; }
    QPushButton *uploadButton() const { return m_upload; }
    QPushButton *printButton() const { return m_print; }

signals:
    // The configuration changed, whatever changed it (a control, a file, the
    // tester); told once after a burst of changes, so that whoever draws
    // from it draws once.
    void configurationEdited();

public slots:
    // The configuration was replaced or changed behind the controls: show it
    // again (layout of its mode and the user codes included).
    void reloadFromModel();
    void setCaption(const QString &text);

    void importConfig();
    void exportConfig();
    void downloadConfig();
    void uploadConfig();
    void print();

private:
    void tabChanged(int index);
    // Runs a LAN operation on the view's configuration, showing what it changes.
    void runOnTester(OperationCode code);
    void settleGenerator();
    // The field holds what will be encoded: a short generator is padded first.
    void prepareForEncode();
    void watchControls();

    config::StationConfig &m_config;
    Session &m_session;
    UserDialogs &m_dialogs;
    QLabel *m_caption = nullptr;
    QTabWidget *m_tabs = nullptr;
    GeneralTab *m_general = nullptr;
    SettingsTab *m_settings = nullptr;
    UsersTab *m_users = nullptr;
    QPushButton *m_import = nullptr;
    QPushButton *m_export = nullptr;
    QPushButton *m_download = nullptr;
    QPushButton *m_upload = nullptr;
    QPushButton *m_print = nullptr;
    QTimer *m_edited = nullptr;
};

} // namespace nxa::app
