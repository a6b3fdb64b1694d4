// The tester operations as the views run them: the interactive operation
// window driven like a user would, against a simulated tester in-process,
// and the command-line download aborted by a close request.

#include "ScriptedUserDialogs.h"
#include "SimulatorThread.h"
#include "TesterSimulator.h"
#include "app/CommandLineRun.h"
#include "app/EventViewerWindow.h"
#include "app/OperationStatusBar.h"
#include "app/OperationWindow.h"
#include "app/Preferences.h"
#include "app/TesterOperation.h"
#include "common/TesterAddress.h"
#include "config/ConfigurationImage.h"
#include "config/StationConfig.h"
#include "link/TesterConnection.h"
#include "records/DataloggerImageBuilder.h"
#include "records/DataloggerTable.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

using namespace nxa;
using nxa::sim::Scenario;

Q_DECLARE_METATYPE(nxa::sim::Scenario)
Q_DECLARE_METATYPE(nxa::Notice)

namespace {

const QString kPassword = QStringLiteral("583041");

link::LinkTimings shortTimings() {
    link::LinkTimings timings;
    timings.connectTimeoutMs = 3000;
    timings.idleTimeoutMs = 300;
    timings.sendIdleTimeoutMs = 300;
    timings.pollIntervalMs = 10;
    timings.uploadPacingStepMs = 1;
    timings.closingPauseMs = 0;
    return timings;
}

QByteArray datalogger(int records, int peripheral) {
    records::DataloggerImageBuilder builder = records::sampleDatalogger(records, 3);
    builder.setPeripheralNumber(peripheral);
    return builder.transferImage();
}

quint16 closedPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    const quint16 port = server.serverPort();
    server.close();
    return port;
}

void usePort(quint16 port) {
    qputenv("NXA_TESTER_PORT", QByteArray::number(port));
}

// The working state a main window would hand to an operation, with a count of
// every change notification.
struct Views {
    records::DataloggerTable table;
    config::StationConfig config;
    int beforeTable = 0;
    int afterTable = 0;
    int afterConfig = 0;
    QStringList captions;

    app::OperationTargets targets() {
        app::OperationTargets t;
        t.table = &table;
        t.config = &config;
        t.beforeTableChange = [this] { ++beforeTable; };
        t.afterTableChange = [this] { ++afterTable; };
        t.afterConfigChange = [this] { ++afterConfig; };
        t.setConfigCaption = [this](const QString &caption) { captions.append(caption); };
        return t;
    }
};

// Presses the button each time the window waits, up to `presses` times, then
// closes the window; counts the waits.
struct PressScript {
    int presses = 1;
    int waits = 0;
    void operator()(app::OperationWindow &window) {
        ++waits;
        if (waits <= presses)
            window.actionButton()->click();
        else
            window.close();
    }
};

} // namespace

class OperationTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void cannotConnectKeepsWindowOpen();
    void loginOutcomes_data();
    void loginOutcomes();
    void closeBeforePressing();
    void secondOperationClosesFirstConnection();
    void abortedDownloadIsCommunicationFailure();
    void configurationDownloadAndUpload();
    void refusedUpload();
    void commandLineCloseRequestIsCodeSeven();
    void commandLineWindowWithDisplay();

private:
    QTemporaryDir *m_dir = nullptr;
    QString m_previousDirectory;
};

void OperationTest::init() {
    m_dir = new QTemporaryDir;
    m_previousDirectory = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    app::operationSettings() = {};
    app::operationSettings().timings = shortTimings();
}

void OperationTest::cleanup() {
    app::operationSettings() = {};
    QDir::setCurrent(m_previousDirectory);
    delete m_dir;
    m_dir = nullptr;
}

// The first try fails to connect and leaves the window open with what was
// typed; the second one, on the right port, fills the table.
void OperationTest::cannotConnectKeepsWindowOpen() {
    sim::SimulatorSettings settings;
    settings.dataloggerImage = datalogger(25, 9);
    sim::SimulatorThread tester(settings);
    QVERIFY(tester.start());
    app::writePreferences(parseDottedAddress(QStringLiteral("10.1.2.3")));
    usePort(closedPort());

    app::Session session;
    session.password = kPassword;
    app::ScriptedUserDialogs dialogs;
    Views views;
    int waits = 0;
    app::operationSettings().onWaitingForUser = [&](app::OperationWindow &window) {
        ++waits;
        if (waits == 1) {
            QCOMPARE(window.windowTitle(), QStringLiteral("Download"));
            QCOMPARE(window.actionButton()->text(), QStringLiteral("Download"));
            QCOMPARE(window.addressField()->text(), QStringLiteral("10.1.2.3"));
            QCOMPARE(window.passwordField()->text(), kPassword);
            QCOMPARE(window.passwordField()->echoMode(), QLineEdit::Password);
            QCOMPARE(window.size(), QSize(400, 355));
            window.addressField()->setText(QStringLiteral("127.0.0.1"));
            window.actionButton()->click();
        } else if (waits == 2) {
            QVERIFY(window.isVisible());
            QCOMPARE(window.addressField()->text(), QStringLiteral("127.0.0.1"));
            usePort(tester.port());
            window.actionButton()->click();
        } else {
            window.close();
        }
    };
    app::runTesterOperation(app::OperationCode::Download, session, dialogs, nullptr,
                            views.targets());

    QCOMPARE(waits, 2);
    QCOMPARE(dialogs.notices,
             (QList<Notice>{{"Error", "Can't connect to 127.0.0.1", NoticeIcon::Error},
                            {"Records added successfully", "Added successfully 25 new records",
                             NoticeIcon::Information}}));
    QCOMPARE(views.table.rowCount(), 25);
    QCOMPARE(views.beforeTable, 1);
    QCOMPARE(views.afterTable, 1);
    QCOMPARE(views.config.peripheralNumber(), 9);
    QCOMPARE(session.testerAddress, parseDottedAddress(QStringLiteral("127.0.0.1")));
    QCOMPARE(app::readPreferences(), session.testerAddress);
}

void OperationTest::loginOutcomes_data() {
    QTest::addColumn<Scenario>("scenario");
    QTest::addColumn<QString>("password");
    QTest::addColumn<Notice>("notice");
    QTest::addColumn<bool>("staysOpen");

    QTest::newRow("busy") << Scenario::Busy << kPassword
                          << Notice{"Busy",
                                    "BR NXA connected but now is busy...\n\nPlease wait a "
                                    "moment then retry.",
                                    NoticeIcon::Warning}
                          << true;
    QTest::newRow("wrong password")
        << Scenario::Normal << QStringLiteral("111111")
        << Notice{"Wrong Password", "Password incorrect error.\nTry again", NoticeIcon::Error}
        << true;
    QTest::newRow("silent") << Scenario::Silent << kPassword
                            << Notice{"Error", "No BR NXA connected at 127.0.0.1",
                                      NoticeIcon::Error}
                            << false;
    QTest::newRow("garbage") << Scenario::Garbage << kPassword
                             << Notice{"Error", "No BR NXA connected at 127.0.0.1",
                                       NoticeIcon::Error}
                             << false;
    QTest::newRow("short transfer")
        << Scenario::Short << kPassword
        << Notice{"Error", "Communication failure", NoticeIcon::None} << false;
}

void OperationTest::loginOutcomes() {
    QFETCH(Scenario, scenario);
    QFETCH(QString, password);
    QFETCH(Notice, notice);
    QFETCH(bool, staysOpen);

    sim::SimulatorSettings settings;
    settings.scenario = scenario;
    settings.dataloggerImage = datalogger(3, 1);
    sim::SimulatorThread tester(settings);
    QVERIFY(tester.start());
    usePort(tester.port());
    app::writePreferences(parseDottedAddress(QStringLiteral("127.0.0.1")));

    app::Session session;
    session.password = password;
    app::ScriptedUserDialogs dialogs;
    Views views;
    PressScript script;
    app::operationSettings().onWaitingForUser = std::ref(script);
    app::runTesterOperation(app::OperationCode::Download, session, dialogs, nullptr,
                            views.targets());

    QCOMPARE(dialogs.notices, QList<Notice>{notice});
    QCOMPARE(script.waits, staysOpen ? 2 : 1);
    QCOMPARE(views.table.rowCount(), 0);
    QCOMPARE(views.beforeTable, 0);
}

void OperationTest::closeBeforePressing() {
    app::Session session;
    session.password = kPassword;
    app::ScriptedUserDialogs dialogs;
    Views views;
    PressScript script;
    script.presses = 0;
    app::operationSettings().onWaitingForUser = std::ref(script);
    app::runTesterOperation(app::OperationCode::DownloadConfig, session, dialogs, nullptr,
                            views.targets());
    QCOMPARE(script.waits, 1);
    QVERIFY(dialogs.notices.isEmpty());
    // Without the file the window showed the default address; only a press writes it.
    QCOMPARE(session.testerAddress, parseDottedAddress(QStringLiteral("192.168.1.200")));
    QVERIFY(!QFile::exists(QStringLiteral("preferences.pref")));
}

void OperationTest::secondOperationClosesFirstConnection() {
    sim::SimulatorSettings settings;
    settings.dataloggerImage = datalogger(12, 2);
    sim::SimulatorThread tester(settings);
    QVERIFY(tester.start());
    usePort(tester.port());
    app::writePreferences(parseDottedAddress(QStringLiteral("127.0.0.1")));

    app::Session session;
    session.password = kPassword;
    app::ScriptedUserDialogs dialogs;
    Views views;
    PressScript first;
    app::operationSettings().onWaitingForUser = std::ref(first);
    app::runTesterOperation(app::OperationCode::Download, session, dialogs, nullptr,
                            views.targets());
    QVERIFY(app::programConnection().isOpen());
    QTRY_COMPARE(tester.simulator().openConnections(), 1);

    // The view rebuilds the keys before a download, as the Download button does.
    views.table.rebuildDuplicateKeys();
    PressScript second;
    app::operationSettings().onWaitingForUser = std::ref(second);
    app::runTesterOperation(app::OperationCode::Download, session, dialogs, nullptr,
                            views.targets());
    QCOMPARE(tester.simulator().acceptedConnections(), 2);
    QTRY_COMPARE(tester.simulator().openConnections(), 1);
    QCOMPARE(views.table.rowCount(), 12);
    QCOMPARE(dialogs.notices.value(1), (Notice{"Records added successfully",
                                               "No new records added.", NoticeIcon::Information}));
}

// In interactive mode a close request during the transfer ends the wait; what
// arrived is short, so it is a communication failure and the table stays.
void OperationTest::abortedDownloadIsCommunicationFailure() {
    sim::SimulatorSettings settings;
    settings.scenario = Scenario::Drip;
    settings.dripBytes = 1000;
    settings.dripIntervalMs = 20;
    settings.dataloggerImage = datalogger(40, 1);
    sim::SimulatorThread tester(settings);
    QVERIFY(tester.start());
    usePort(tester.port());
    app::writePreferences(parseDottedAddress(QStringLiteral("127.0.0.1")));

    app::Session session;
    session.password = kPassword;
    app::ScriptedUserDialogs dialogs;
    Views views;
    PressScript script;
    app::OperationWindow *opened = nullptr;
    app::operationSettings().onWaitingForUser = [&](app::OperationWindow &window) {
        opened = &window;
        script(window);
    };
    bool closed = false;
    int progressSeen = 0;
    app::operationSettings().beforePump = [&] {
        if (closed || tester.simulator().receivedRequests().size() < 2)
            return;
        if (opened && opened->statusBar()->progress() > 0)
            progressSeen = opened->statusBar()->progress();
        if (progressSeen > 0) {
            closed = true;
            opened->close();
        }
    };
    app::runTesterOperation(app::OperationCode::Download, session, dialogs, nullptr,
                            views.targets());
    QVERIFY(closed);
    QVERIFY(progressSeen > 0 && progressSeen < 100);
    QCOMPARE(dialogs.notices,
             QList<Notice>{(Notice{"Error", "Communication failure", NoticeIcon::None})});
    QCOMPARE(views.table.rowCount(), 0);
    QCOMPARE(views.beforeTable, 0);
}

void OperationTest::configurationDownloadAndUpload() {
    config::StationConfig onTester;
    onTester.setPeripheralNumber(4);
    onTester.description = QStringLiteral("Clean Room 3");
    onTester.users[17].name = QStringLiteral("Marta");
    sim::SimulatorSettings settings;
    settings.configurationImage = config::encodeConfigurationTransfer(onTester);
    sim::SimulatorThread tester(settings);
    QVERIFY(tester.start());
    usePort(tester.port());
    app::writePreferences(parseDottedAddress(QStringLiteral("127.0.0.1")));

    app::Session session;
    session.password = kPassword;
    app::ScriptedUserDialogs dialogs;
    Views views;
    PressScript download;
    app::operationSettings().onWaitingForUser = std::ref(download);
    app::runTesterOperation(app::OperationCode::DownloadConfig, session, dialogs, nullptr,
                            views.targets());
    QVERIFY(dialogs.notices.isEmpty());
    QCOMPARE(views.config.peripheralNumber(), 4);
    // Image texts keep the spaces that pad them to their field.
    QCOMPARE(views.config.description, QStringLiteral("Clean Room 3        "));
    QCOMPARE(views.config.users[17].name, QStringLiteral("Marta               "));
    QCOMPARE(views.captions, QStringList{"127.0.0.1"});
    QCOMPARE(views.afterConfig, 1);

    views.config.description = QStringLiteral("Clean Room 4");
    PressScript upload;
    QString title;
    app::operationSettings().onWaitingForUser = [&](app::OperationWindow &window) {
        title = window.windowTitle();
        upload(window);
    };
    app::runTesterOperation(app::OperationCode::UploadConfig, session, dialogs, nullptr,
                            views.targets());
    QCOMPARE(title, QStringLiteral("Upload Config"));
    QCOMPARE(dialogs.notices, QList<Notice>{(Notice{"Uploaded successfully",
                                                    "Uploadedd successfully the configuration",
                                                    NoticeIcon::Information})});
    QCOMPARE(tester.simulator().configurationImage(),
             config::encodeConfigurationTransfer(views.config));
    QCOMPARE(views.captions, (QStringList{"127.0.0.1", "127.0.0.1"}));
}

void OperationTest::refusedUpload() {
    sim::SimulatorSettings settings;
    settings.scenario = Scenario::UploadRefused;
    sim::SimulatorThread tester(settings);
    QVERIFY(tester.start());
    usePort(tester.port());
    app::writePreferences(parseDottedAddress(QStringLiteral("127.0.0.1")));

    app::Session session;
    session.password = kPassword;
    app::ScriptedUserDialogs dialogs;
    Views views;
    PressScript script;
    app::operationSettings().onWaitingForUser = std::ref(script);
    app::runTesterOperation(app::OperationCode::UploadConfig, session, dialogs, nullptr,
                            views.targets());
    QCOMPARE(dialogs.notices, QList<Notice>{(Notice{"Error", "Upload fail", NoticeIcon::None})});
    QCOMPARE(script.waits, 1);
}

// A close request during the datalogger transfer of a command-line run gives
// exactly one failure line and result code 7, logged as such.
void OperationTest::commandLineCloseRequestIsCodeSeven() {
    sim::SimulatorSettings settings;
    settings.scenario = Scenario::Drip;
    settings.dripBytes = 1000;
    settings.dripIntervalMs = 20;
    settings.dataloggerImage = datalogger(40, 1);
    sim::SimulatorThread tester(settings);
    QVERIFY(tester.start());
    usePort(tester.port());

    bool posted = false;
    app::operationSettings().beforePump = [&] {
        if (posted || tester.simulator().receivedRequests().size() < 2)
            return;
        posted = true;
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (QWidget *window : windows)
            QCoreApplication::postEvent(window, new QCloseEvent);
    };
    app::Session session;
    session.parameters = QStringList{"127.0.0.1", kPassword, "/TXT", "out.txt"};
    QStringList lines;
    QList<Notice> notices;
    app::CommandLineOutput output;
    output.headless = true;
    output.line = [&](const QString &line) { lines.append(line); };
    output.notice = [&](const Notice &notice) { notices.append(notice); };

    const int code = app::runCommandLine(session, output);
    QVERIFY(posted);
    QCOMPARE(code, 7);
    QCOMPARE(session.resultCode, 7);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0), session.runStamp);
    QCOMPARE(lines.at(1), QStringLiteral("Extract data from 127.0.0.1 to out.txt"));
    QCOMPARE(lines.at(2), QStringLiteral("     7 - Error: Operation aborted by user."));
    QVERIFY(notices.isEmpty());
    QVERIFY(!QFile::exists(QStringLiteral("out.txt")));
    QFile log(QStringLiteral("log.txt"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll(), (session.runStamp + "\r\nExtract data from 127.0.0.1 to out.txt\r\n"
                                                "     7 - Error: Operation aborted by user.\r\n")
                                .toUtf8());
}

// With a display the run shows its Download window, presses its own button
// and reports in the list only; nothing goes to the output lines.
void OperationTest::commandLineWindowWithDisplay() {
    sim::SimulatorSettings settings;
    settings.dataloggerImage = datalogger(30, 1);
    sim::SimulatorThread tester(settings);
    QVERIFY(tester.start());
    usePort(tester.port());

    struct Seen {
        bool visible = false;
        QString title;
        QSize size;
        QStringList lines;
        QString buttonText;
        bool buttonVisible = true;
    } seen;
    app::operationSettings().beforePump = [&] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *window = qobject_cast<app::EventViewerWindow *>(widget)) {
                seen.visible = window->isVisible();
                seen.title = window->windowTitle();
                seen.size = window->size();
                seen.lines = window->lines();
                seen.buttonText = window->actionButton()->text();
                seen.buttonVisible = window->actionButton()->isVisible();
            }
        }
    };
    app::operationSettings().timings.closingPauseMs = 50;
    app::Session session;
    session.parameters = QStringList{"127.0.0.1", kPassword, "/TXT", "out.txt"};
    QStringList lines;
    QList<Notice> notices;
    app::CommandLineOutput output;
    output.headless = false;
    output.line = [&](const QString &line) { lines.append(line); };
    output.notice = [&](const Notice &notice) { notices.append(notice); };

    QCOMPARE(app::runCommandLine(session, output), 0);
    QVERIFY(seen.visible);
    QCOMPARE(seen.title, QStringLiteral("Download"));
    QCOMPARE(seen.size, QSize(400, 255));
    QCOMPARE(seen.buttonText, QStringLiteral("Download"));
    QVERIFY(!seen.buttonVisible);
    QCOMPARE(seen.lines, (QStringList{session.runStamp, session.runDescription}));
    QVERIFY(lines.isEmpty());
    QVERIFY(notices.isEmpty());
    QVERIFY(QFile::exists(QStringLiteral("out.txt")));
    for (QWidget *widget : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<app::EventViewerWindow *>(widget));
}

QTEST_MAIN(OperationTest)
#include "tst_operation.moc"
