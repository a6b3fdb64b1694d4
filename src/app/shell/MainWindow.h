#pragma once

#include "app/dialogs/UserDialogs.h"
#include "app/shared/Session.h"
#include "config/StationConfig.h"
#include "records/DataloggerTable.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QAction;
class QGroupBox;
class QRadioButton;

namespace nxa::app {

class ConfigurationView;
class DataloggerView;
class TrayController;

// The manager's one main window: the menus, the Operation frame that switches
// between the Configuration and the Datalogger view, and the working state
// both views show. Built hidden; the caller shows it when it is complete.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 800;
    static constexpr int kClientHeight = 710;

    // dialogs: the questions and messages of every action; when null the
    // window uses the Qt dialogs, owned by itself. betweenSteps runs between
    // the construction steps, so a splash can keep animating.
    explicit MainWindow(Session &session, UserDialogs *dialogs = nullptr,
                        const std::function<void()> &betweenSteps = {});
    ~MainWindow() override;

    records::DataloggerTable &table() { return m_table; }
    config::StationConfig &stationConfig() { return m_config; }
    Session &session() { return m_session; }
    UserDialogs &dialogs() { return *m_dialogs; }

    DataloggerView *dataloggerView() const { return m_dataloggerView; }
    ConfigurationView *configurationView() const { return m_configurationView; }
    QRadioButton *configOption() const { return m_configOption; }
    QRadioButton *dataloggerOption() const { return m_dataloggerOption; }
    TrayController *tray() const { return m_tray; }
    QAction *minimizeToTrayAction() const { return m_minimizeToTray; }
    QAction *exitAction() const { return m_exit; }
    QAction *guideAction() const { return m_guide; }
    QAction *aboutAction() const { return m_about; }

    // Centres the window on the primary screen.
    void centreOnScreen();

public slots:
    void showConfigurationView();
    void showDataloggerView();
    void showCommandLineGuide();
    void showAbout();

signals:
    // The close box, "Exit" of the File menu or of the tray menu: the event
    // loop is to end.
    void quitRequested();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void buildOperationFrame();

    Session &m_session;
    records::DataloggerTable m_table;
    config::StationConfig m_config;
    std::unique_ptr<UserDialogs> m_ownDialogs;
    UserDialogs *m_dialogs;
    QWidget *m_client = nullptr;
    QGroupBox *m_operationFrame = nullptr;
    QRadioButton *m_configOption = nullptr;
    QRadioButton *m_dataloggerOption = nullptr;
    DataloggerView *m_dataloggerView = nullptr;
    ConfigurationView *m_configurationView = nullptr;
    TrayController *m_tray = nullptr;
    QAction *m_minimizeToTray = nullptr;
    QAction *m_exit = nullptr;
    QAction *m_guide = nullptr;
    QAction *m_about = nullptr;
};

} // namespace nxa::app
