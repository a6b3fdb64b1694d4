#include "app/shell/MainWindow.h"

#include "app/configuration/ConfigurationView.h"
#include "app/datalogger/DataloggerView.h"
#include "app/dialogs/QtUserDialogs.h"
#include "app/shared/ChosenOptionTabStop.h"
#include "app/shared/TitledFrame.h"
#include "app/shared/WindowPlacement.h"
#include "app/shell/HelpTexts.h"
#include "app/shell/TrayController.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QMenuBar>
#include <QRadioButton>
#include <QShortcut>

namespace nxa::app {

namespace {
// Both views fill the client area below the Operation frame.
const QRect kViewArea(0, 90, 800, 620);
} // namespace

MainWindow::MainWindow(Session &session, UserDialogs *dialogs,
                       const std::function<void()> &betweenSteps)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                               Qt::WindowCloseButtonHint),
      m_session(session), m_dialogs(dialogs) {
    const auto step = [&betweenSteps] {
        if (betweenSteps)
            betweenSteps();
    };
    if (!m_dialogs) {
        m_ownDialogs = std::make_unique<QtUserDialogs>(this);
        m_dialogs = m_ownDialogs.get();
    }
    setWindowTitle(QStringLiteral("Brontel NXA Manager"));

    m_client = new QWidget(this);
    m_client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(m_client);
    buildMenus();
    step();
    buildOperationFrame();
    step();

    m_dataloggerView = new DataloggerView(m_table, m_config, m_session, *m_dialogs, m_client);
    m_dataloggerView->setGeometry(kViewArea);
    m_dataloggerView->hide();
    step();

    m_configurationView = new ConfigurationView(m_config, m_session, *m_dialogs, m_client);
    m_configurationView->setGeometry(kViewArea);
    connect(m_dataloggerView, &DataloggerView::configurationChanged, m_configurationView,
            &ConfigurationView::reloadFromModel);
    connect(m_configurationView, &ConfigurationView::configurationEdited, m_dataloggerView,
            &DataloggerView::configurationEdited);
    step();

    m_tray = new TrayController(this, this);
    connect(m_tray, &TrayController::quitRequested, this, &MainWindow::quitRequested);

    setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    showConfigurationView();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus() {
    // The usual mnemonics (Alt+F, Alt+H) underline a letter; the texts are as before.
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    m_minimizeToTray = file->addAction(QStringLiteral("Minimize to SysTray"));
    file->addSeparator();
    m_exit = file->addAction(QStringLiteral("Exit"));
    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    m_guide = help->addAction(QStringLiteral("Command Line User's Guide"));
    help->addSeparator();
    m_about = help->addAction(QStringLiteral("About..."));

    connect(m_minimizeToTray, &QAction::triggered, this, [this] { m_tray->minimizeToTray(); });
    connect(m_exit, &QAction::triggered, this, &MainWindow::quitRequested);
    connect(m_guide, &QAction::triggered, this, &MainWindow::showCommandLineGuide);
    connect(m_about, &QAction::triggered, this, &MainWindow::showAbout);

    // F10 opens the first menu, as on the desktops this runs on.
    auto *menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this,
            [this, file] { menuBar()->setActiveAction(file->menuAction()); });
}

void MainWindow::buildOperationFrame() {
    m_operationFrame = new TitledFrame(QStringLiteral("Operation"), m_client);
    m_operationFrame->setGeometry(10, 10, 780, 70);
    m_configOption = new QRadioButton(QStringLiteral("Config"), m_client);
    m_configOption->setGeometry(50, 25, 80, 20);
    m_dataloggerOption = new QRadioButton(QStringLiteral("Datalogger"), m_client);
    m_dataloggerOption->setGeometry(50, 55, 80, 20);
    m_configOption->setChecked(true);
    // Their own group: without it the option buttons of the views below
    // would count as theirs, and a click on the chosen one would clear it.
    auto *options = new QButtonGroup(this);
    options->addButton(m_configOption);
    options->addButton(m_dataloggerOption);
    makeChosenOptionTheTabStop({m_configOption, m_dataloggerOption});
    connect(
        m_configOption, &QRadioButton::toggled, this,
        [this](bool on) {
            if (on)
                showConfigurationView();
        });
    connect(m_dataloggerOption, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            showDataloggerView();
    });
}

void MainWindow::showConfigurationView() {
    m_dataloggerView->hide();
    m_configurationView->show();
    if (!m_configOption->isChecked())
        m_configOption->setChecked(true);
}

void MainWindow::showDataloggerView() {
    m_configurationView->hide();
    m_dataloggerView->show();
    if (!m_dataloggerOption->isChecked())
        m_dataloggerOption->setChecked(true);
}

void MainWindow::showCommandLineGuide() {
    m_dialogs->showNotice(
        {QStringLiteral("Command Line User's Guide"), commandLineGuideText(), NoticeIcon::None});
}

void MainWindow::showAbout() {
    m_dialogs->showNotice({QStringLiteral("About"), aboutText(), NoticeIcon::Information});
}

void MainWindow::centreOnScreen() {
    centreWindow(*this);
}

void MainWindow::closeEvent(QCloseEvent *event) {
    // Closing ends the program at once: nothing to confirm, nothing to save.
    event->accept();
    emit quitRequested();
}

} // namespace nxa::app
