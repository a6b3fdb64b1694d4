#include "app/configuration/ConfigurationView.h"

#include "app/configuration/GeneralTab.h"
#include "app/configuration/SettingsTab.h"
#include "app/configuration/UsersModel.h"
#include "app/configuration/UsersTab.h"
#include "app/operation/TesterOperation.h"
#include "app/printing/ReportPrinting.h"
#include "app/shared/TitledFrame.h"
#include "common/NumberedFileName.h"
#include "config/ConfigurationFiles.h"
#include "config/StationConfig.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

namespace nxa::app {

namespace {

QPushButton *addButton(QWidget *parent, const QString &text, int x, int y) {
    auto *button = new QPushButton(text, parent);
    button->setGeometry(x, y, 110, 20);
    return button;
}

} // namespace

ConfigurationView::ConfigurationView(config::StationConfig &config, Session &session,
                                     UserDialogs &dialogs, QWidget *parent)
    : QWidget(parent), m_config(config), m_session(session), m_dialogs(dialogs) {
    m_caption = new QLabel(QStringLiteral("DEFAULT CONFIG"), this);
    m_caption->setObjectName(QStringLiteral("configCaption"));
    m_caption->setGeometry(10, 10, 780, 30);
    m_caption->setAlignment(Qt::AlignCenter);
    QFont captionFont(QStringLiteral("Arial"), 12);
    captionFont.setBold(true);
    m_caption->setFont(captionFont);

    m_tabs = new QTabWidget(this);
    m_tabs->setGeometry(10, 50, 780, 450);
    m_general = new GeneralTab(m_config, m_dialogs);
    m_settings = new SettingsTab(m_config);
    m_users = new UsersTab(m_config);
    m_tabs->addTab(m_general, QStringLiteral("General"));
    m_tabs->addTab(m_settings, QStringLiteral("Settings"));
    m_tabs->addTab(m_users, QStringLiteral("Users"));
    connect(m_tabs, &QTabWidget::currentChanged, this, &ConfigurationView::tabChanged);

    auto *fileFrame = new TitledFrame(QStringLiteral("File"), this);
    fileFrame->setGeometry(190, 510, 130, 80);
    m_import = addButton(this, QStringLiteral("Import Config"), 200, 530);
    m_export = addButton(this, QStringLiteral("Export Config"), 200, 560);
    auto *lanFrame = new TitledFrame(QStringLiteral("LAN"), this);
    lanFrame->setGeometry(430, 510, 130, 80);
    m_download = addButton(this, QStringLiteral("Download Config"), 440, 530);
    m_upload = addButton(this, QStringLiteral("Upload Config"), 440, 560);
    m_print = addButton(this, QStringLiteral("Print"), 680, 530);

    connect(m_import, &QPushButton::clicked, this, &ConfigurationView::importConfig);
    connect(m_export, &QPushButton::clicked, this, &ConfigurationView::exportConfig);
    connect(m_download, &QPushButton::clicked, this, &ConfigurationView::downloadConfig);
    connect(m_upload, &QPushButton::clicked, this, &ConfigurationView::uploadConfig);
    connect(m_print, &QPushButton::clicked, this, &ConfigurationView::print);
    watchControls();
}

void ConfigurationView::watchControls() {
    m_edited = new QTimer(this);
    m_edited->setSingleShot(true);
    m_edited->setInterval(0);
    connect(m_edited, &QTimer::timeout, this, &ConfigurationView::configurationEdited);
    const auto edited = [this] { m_edited->start(); };
    // Each tab connected its controls to the model first, and slots run in
    // the order they were connected: the model holds the change when the
    // timer starts.
    for (QLineEdit *field : m_tabs->findChildren<QLineEdit *>())
        connect(field, &QLineEdit::textChanged, this, edited);
    for (QSpinBox *box : m_tabs->findChildren<QSpinBox *>())
        connect(box, &QSpinBox::valueChanged, this, edited);
    for (QComboBox *choice : m_tabs->findChildren<QComboBox *>())
        connect(choice, &QComboBox::currentIndexChanged, this, edited);
    for (QAbstractButton *button : m_tabs->findChildren<QAbstractButton *>()) {
        connect(button, &QAbstractButton::clicked, this, edited);
        connect(button, &QAbstractButton::toggled, this, edited);
    }
    QAbstractItemModel *users = m_users->model();
    connect(users, &QAbstractItemModel::dataChanged, this, edited);
    connect(users, &QAbstractItemModel::modelReset, this, edited);
}

ConfigurationView::~ConfigurationView() = default;

void ConfigurationView::reloadFromModel() {
    m_general->reloadFromModel();
    m_settings->reloadFromModel();
    m_users->reloadFromModel();
    m_users->refreshCodes();
    m_edited->start();
}

void ConfigurationView::setCaption(const QString &text) {
    m_caption->setText(text);
}

void ConfigurationView::tabChanged(int index) {
    m_general->normalizeGenerator();
    if (index == UsersTabIndex)
        m_users->refreshCodes();
}

void ConfigurationView::settleGenerator() {
    // A press on a button takes the focus from the generator field: its
    // warning comes before the action opens a dialog or an operation window.
    m_general->showPendingWarning();
}

void ConfigurationView::prepareForEncode() {
    m_general->normalizeGenerator();
}

void ConfigurationView::importConfig() {
    settleGenerator();
    const QString path = m_dialogs.openFile(
        QStringLiteral("Please choose a Config File to load"), QDir::currentPath(),
        {QStringLiteral("Brontel NXA Config file (*.BRC)"), QStringLiteral("All files (*.*)")});
    if (path.isEmpty())
        return;
    const config::DecodeResult result = config::importConfiguration(m_config, path);
    // The name rule changes the peripheral number even when the contents fail.
    reloadFromModel();
    if (result.ok)
        setCaption(result.caption.isEmpty() ? fileNamePart(path) : result.caption);
    m_dialogs.showNotices(result.notices);
}

void ConfigurationView::exportConfig() {
    settleGenerator();
    const QString directory = m_dialogs.chooseFolder(
        QStringLiteral("Please choose a Path where to save the Config File"), QDir::currentPath());
    if (directory.isEmpty())
        return;
    prepareForEncode();
    const config::ConfigurationExportResult result =
        config::exportConfiguration(m_config, directory);
    if (result.ok)
        setCaption(result.fileName);
    m_dialogs.showNotices(result.notices);
}

void ConfigurationView::downloadConfig() {
    settleGenerator();
    runOnTester(OperationCode::DownloadConfig);
}

void ConfigurationView::uploadConfig() {
    settleGenerator();
    prepareForEncode();
    runOnTester(OperationCode::UploadConfig);
}

void ConfigurationView::runOnTester(OperationCode code) {
    OperationTargets targets;
    targets.config = &m_config;
    targets.afterConfigChange = [this] { reloadFromModel(); };
    targets.setConfigCaption = [this](const QString &text) { setCaption(text); };
    runTesterOperation(code, m_session, m_dialogs, window(), targets);
}

void ConfigurationView::print() {
    settleGenerator();
    prepareForEncode();
    const int choice = m_dialogs.chooseOne(QStringLiteral("Which report do you want to print?"),
                                           QStringLiteral("Print 'General' and 'Settings'"),
                                           QStringLiteral("Print 'Users'"));
    if (choice == 1)
        printProfilesReport(m_config, m_dialogs);
    else if (choice == 2)
        printUsersReport(m_config, m_dialogs);
}

} // namespace nxa::app
