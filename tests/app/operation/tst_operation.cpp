// The tester operations as the views run them: the interactive operation
// window driven like a user would, against a simulated tester in-process,
// and the command-line download aborted by a close request.

#include "TesterSimulator.h"
#include "app/ScopedOperationSettings.h"
#include "app/ScriptedUserDialogs.h"
#include "app/commandline/CommandLineRun.h"
#include "app/commandline/EventViewerWindow.h"
#include "app/operation/OperationCloseWatch.h"
#include "app/operation/OperationStatusBar.h"
#include "app/operation/OperationWindow.h"
#include "app/operation/TesterOperation.h"
#include "app/shared/Preferences.h"
#include "common/TesterAddress.h"
#include "config/ConfigurationImage.h"
#include "config/StationConfig.h"
#include "link/TesterConnection.h"
#include "records/DataloggerTable.h"
#include "samples/DataloggerImageBuilder.h"
#include "support/SimulatorFixture.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <optional>
#include <qpa/qwindowsysteminterface.h>

#include <functional>
#include <memory>

using namespace nxa;
using nxa::sim::Scenario;

Q_DECLARE_METATYPE(nxa::sim::Scenario)
Q_DECLARE_METATYPE(nxa::Notice)

namespace {

const QString kPassword = QStringLiteral("583041");
const QString kLoopback = QStringLiteral("127.0.0.1");

QByteArray datalogger(int records, int peripheral) {
    records::DataloggerImageBuilder builder = records::sampleDatalogger(records, 3);
    builder.setPeripheralNumber(peripheral);
    return builder.transferImage();
}

// A datalogger of 40 records served in slices slow enough to close the window
// halfway through.
sim::SimulatorSettings drippingDatalogger() {
    sim::SimulatorSettings settings;
    settings.scenario = Scenario::Drip;
    settings.dripBytes = 1000;
    settings.dripIntervalMs = 20;
    settings.dataloggerImage = datalogger(40, 1);
    return settings;
}

// Starts the tester and keeps its address in the preferences, as an earlier
// press of the button would have; null when it could not start.
std::unique_ptr<sim::SimulatorThread> startTester(const sim::SimulatorSettings &settings) {
    auto tester = test::startSimulator(settings);
    app::writePreferences(parseDottedAddress(kLoopback));
    return tester;
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

// What a main window hands to an operation: the session with the password
// typed in, the dialogs and the views.
struct Desk {
    app::Session session;
    app::ScriptedUserDialogs dialogs;
    Views views;

    explicit Desk(const QString &password = kPassword) { session.password = password; }

    // Runs the operation with `user` acting each time its window waits.
    void run(app::OperationCode code, std::function<void(app::OperationWindow &)> user,
             QWidget *owner = nullptr) {
        app::operationSettings().onWaitingForUser = std::move(user);
        app::runTesterOperation(code, session, dialogs, owner, views.targets());
    }
};

// The lines and notices of a command-line run.
struct RecordedOutput {
    QStringList lines;
    QList<Notice> notices;

    app::CommandLineOutput output(bool headless) {
        app::CommandLineOutput out;
        out.headless = headless;
        out.line = [this](const QString &line) { lines.append(line); };
        out.notice = [this](const Notice &notice) { notices.append(notice); };
        return out;
    }
};

// Counts the paint events of the widgets it watches.
struct PaintCounter : QObject {
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
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
    void closeRequestEndsTheOperation_data();
    void closeRequestEndsTheOperation();
    void configurationDownloadAndUpload();
    void refusedUpload();
    void commandLineCloseRequestIsCodeSeven();
    void commandLineWindowWithDisplay();

private:
    std::unique_ptr<test::WorkingFolder> m_folder;
    std::optional<app::ScopedOperationSettings> m_settings;
};

void OperationTest::init() {
    m_folder = std::make_unique<test::WorkingFolder>();
    QVERIFY(m_folder->isActive());
    m_settings.emplace();
}

void OperationTest::cleanup() {
    m_settings.reset();
    m_folder.reset();
}

// The first try fails to connect and leaves the window open with what was
// typed; the second one, on the right port, fills the table.
void OperationTest::cannotConnectKeepsWindowOpen() {
    sim::SimulatorSettings settings;
    settings.dataloggerImage = datalogger(25, 9);
    const auto tester = test::startSimulator(settings);
    QVERIFY(tester);
    app::writePreferences(parseDottedAddress(QStringLiteral("10.1.2.3")));
    test::useTesterPort(test::closedPort());

    Desk desk;
    int waits = 0;
    desk.run(app::OperationCode::Download, [&](app::OperationWindow &window) {
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
            test::useTesterPort(tester->port());
            window.actionButton()->click();
        } else {
            window.close();
        }
    });

    QCOMPARE(waits, 2);
    QCOMPARE(desk.dialogs.notices,
             (QList<Notice>{{"Error", "Can't connect to 127.0.0.1", NoticeIcon::Error},
                            {"Records added successfully", "Added successfully 25 new records",
                             NoticeIcon::Information}}));
    QCOMPARE(desk.views.table.rowCount(), 25);
    QCOMPARE(desk.views.beforeTable, 1);
    QCOMPARE(desk.views.afterTable, 1);
    QCOMPARE(desk.views.config.peripheralNumber(), 9);
    QCOMPARE(desk.session.testerAddress, parseDottedAddress(kLoopback));
    QCOMPARE(app::readPreferences(), desk.session.testerAddress);
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
    const auto tester = startTester(settings);
    QVERIFY(tester);

    Desk desk(password);
    PressScript script;
    desk.run(app::OperationCode::Download, std::ref(script));

    QCOMPARE(desk.dialogs.notices, QList<Notice>{notice});
    QCOMPARE(script.waits, staysOpen ? 2 : 1);
    QCOMPARE(desk.views.table.rowCount(), 0);
    QCOMPARE(desk.views.beforeTable, 0);
}

void OperationTest::closeBeforePressing() {
    Desk desk;
    PressScript script;
    script.presses = 0;
    desk.run(app::OperationCode::DownloadConfig, std::ref(script));
    QCOMPARE(script.waits, 1);
    QVERIFY(desk.dialogs.notices.isEmpty());
    // Without the file the window showed the default address; only a press writes it.
    QCOMPARE(desk.session.testerAddress, parseDottedAddress(QStringLiteral("192.168.1.200")));
    QVERIFY(!QFile::exists(QStringLiteral("preferences.pref")));
}

void OperationTest::secondOperationClosesFirstConnection() {
    sim::SimulatorSettings settings;
    settings.dataloggerImage = datalogger(12, 2);
    const auto tester = startTester(settings);
    QVERIFY(tester);

    Desk desk;
    desk.run(app::OperationCode::Download, PressScript());
    QVERIFY(app::programConnection().isOpen());
    QTRY_COMPARE(tester->simulator().openConnections(), 1);

    // The view rebuilds the keys before a download, as the Download button does.
    desk.views.table.rebuildDuplicateKeys();
    desk.run(app::OperationCode::Download, PressScript());
    QCOMPARE(tester->simulator().acceptedConnections(), 2);
    QTRY_COMPARE(tester->simulator().openConnections(), 1);
    QCOMPARE(desk.views.table.rowCount(), 12);
    QCOMPARE(
        desk.dialogs.notices.value(1),
        (Notice{"Records added successfully", "No new records added.", NoticeIcon::Information}));
}

void OperationTest::closeRequestEndsTheOperation_data() {
    QTest::addColumn<bool>("connecting"); // else during the transfer
    QTest::addColumn<int>("request"); // 0 operation window's close box, 1 main window's, 2 Escape
    QTest::addColumn<Notice>("notice");
    const Notice noTester{"Error", "No BR NXA connected at 127.0.0.1", NoticeIcon::Error};
    const Notice failure{"Error", "Communication failure", NoticeIcon::None};
    // clang-format off
    QTest::newRow("transfer, operation window closed") << false << 0 << failure;
    QTest::newRow("transfer, main window closed")      << false << 1 << failure;
    QTest::newRow("transfer, Escape")                  << false << 2 << failure;
    QTest::newRow("connecting, operation window closed") << true << 0 << noTester;
    QTest::newRow("connecting, main window closed")      << true << 1 << noTester;
    QTest::newRow("connecting, Escape")                  << true << 2 << noTester;
    // clang-format on
}

// In interactive mode a close request of any window ends the connect
// attempt or the transfer at once; what arrived is short, so a transfer is a
// communication failure and an attempt finds no tester; the table stays. The
// window repaints meanwhile. The request comes as from the window system's
// close box, or as the Escape key after Return started the operation.
void OperationTest::closeRequestEndsTheOperation() {
    QFETCH(bool, connecting);
    QFETCH(int, request);
    QFETCH(Notice, notice);
    sim::SimulatorSettings settings = drippingDatalogger();
    if (connecting)
        settings.scenario = Scenario::ConnectHangs;
    const auto tester = startTester(settings);
    QVERIFY(tester);

    QWidget mainWindow;
    mainWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
    Desk desk;
    PressScript script;
    app::OperationWindow *opened = nullptr;
    PaintCounter paints;
    bool repaintAsked = false;
    bool closed = false;
    int progressSeen = 0;
    app::operationSettings().beforePump = [&] {
        if (closed || !opened)
            return;
        if (connecting) {
            if (!repaintAsked) {
                repaintAsked = true;
                opened->installEventFilter(&paints);
                opened->update();
            }
            if (paints.count == 0)
                return;
        } else {
            if (tester->simulator().receivedRequests().size() < 2)
                return;
            progressSeen = opened->statusBar()->progress();
            if (progressSeen == 0)
                return;
        }
        closed = true;
        if (request == 2) {
            QTest::keyClick(opened->addressField(), Qt::Key_Escape);
            return;
        }
        QWidget *target = request == 1 ? &mainWindow : static_cast<QWidget *>(opened);
        QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::SynchronousDelivery>(
            target->windowHandle());
    };
    desk.run(
        app::OperationCode::Download,
        [&](app::OperationWindow &window) {
            opened = &window;
            // Keyboard only: Return presses the button, Escape closes.
            if (request == 2 && ++script.waits == 1) {
                bool pressed = false;
                const auto watch = QObject::connect(window.actionButton(), &QPushButton::clicked,
                                                    [&pressed] { pressed = true; });
                QTest::keyClick(window.addressField(), Qt::Key_Return);
                QObject::disconnect(watch);
                // A window deaf to Return must not keep the test waiting.
                if (!pressed)
                    window.close();
            } else {
                script(window);
            }
        },
        &mainWindow);
    QVERIFY(mainWindow.isVisible());
    QVERIFY(closed);
    QCOMPARE(script.waits, 1);
    if (!connecting)
        QVERIFY(progressSeen > 0 && progressSeen < 100);
    QCOMPARE(desk.dialogs.notices, QList<Notice>{notice});
    QCOMPARE(desk.views.table.rowCount(), 0);
    QCOMPARE(desk.views.beforeTable, 0);
}

void OperationTest::configurationDownloadAndUpload() {
    config::StationConfig onTester;
    onTester.setPeripheralNumber(4);
    onTester.description = QStringLiteral("Clean Room 3");
    onTester.users[17].name = QStringLiteral("Marta");
    sim::SimulatorSettings settings;
    settings.configurationImage = config::encodeConfigurationTransfer(onTester);
    const auto tester = startTester(settings);
    QVERIFY(tester);

    Desk desk;
    Views &views = desk.views;
    desk.run(app::OperationCode::DownloadConfig, PressScript());
    QVERIFY(desk.dialogs.notices.isEmpty());
    QCOMPARE(views.config.peripheralNumber(), 4);
    // Image texts come without the spaces that pad them to their field.
    QCOMPARE(views.config.description, QStringLiteral("Clean Room 3"));
    QCOMPARE(views.config.users[17].name, QStringLiteral("Marta"));
    QCOMPARE(views.captions, QStringList{"127.0.0.1"});
    QCOMPARE(views.afterConfig, 1);

    views.config.description = QStringLiteral("Clean Room 4");
    PressScript upload;
    QString title;
    desk.run(app::OperationCode::UploadConfig, [&](app::OperationWindow &window) {
        title = window.windowTitle();
        upload(window);
    });
    QCOMPARE(title, QStringLiteral("Upload Config"));
    QCOMPARE(desk.dialogs.notices, QList<Notice>{(Notice{"Uploaded successfully",
                                                         "Uploadedd successfully the configuration",
                                                         NoticeIcon::Information})});
    QCOMPARE(tester->simulator().configurationImage(),
             config::encodeConfigurationTransfer(views.config));
    QCOMPARE(views.captions, (QStringList{"127.0.0.1", "127.0.0.1"}));
}

void OperationTest::refusedUpload() {
    sim::SimulatorSettings settings;
    settings.scenario = Scenario::UploadRefused;
    const auto tester = startTester(settings);
    QVERIFY(tester);

    Desk desk;
    PressScript script;
    desk.run(app::OperationCode::UploadConfig, std::ref(script));
    QCOMPARE(desk.dialogs.notices,
             QList<Notice>{(Notice{"Error", "Upload fail", NoticeIcon::None})});
    QCOMPARE(script.waits, 1);
}

// A close request during the datalogger transfer of a command-line run gives
// exactly one failure line and result code 7, logged as such.
void OperationTest::commandLineCloseRequestIsCodeSeven() {
    const auto tester = test::startSimulator(drippingDatalogger());
    QVERIFY(tester);

    bool posted = false;
    app::operationSettings().beforePump = [&] {
        if (posted || tester->simulator().receivedRequests().size() < 2)
            return;
        posted = true;
        app::postCloseRequest();
    };
    app::Session session;
    session.parameters = QStringList{"127.0.0.1", kPassword, "/TXT", "out.txt"};
    RecordedOutput recorded;
    const QStringList &lines = recorded.lines;

    const int code = app::runCommandLine(session, recorded.output(true));
    QVERIFY(posted);
    QCOMPARE(code, 7);
    QCOMPARE(session.resultCode, ResultCode::Aborted);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0), session.runStamp);
    QCOMPARE(lines.at(1), QStringLiteral("Extract data from 127.0.0.1 to out.txt"));
    QCOMPARE(lines.at(2), QStringLiteral("     7 - Error: Operation aborted by user."));
    QVERIFY(recorded.notices.isEmpty());
    QVERIFY(!QFile::exists(QStringLiteral("out.txt")));
    QVERIFY(QFile::exists(QStringLiteral("log.txt")));
    QCOMPARE(test::readFile(QStringLiteral("log.txt")),
             (session.runStamp + "\r\nExtract data from 127.0.0.1 to out.txt\r\n"
                                 "     7 - Error: Operation aborted by user.\r\n")
                 .toUtf8());
}

// With a display the run shows its Download window, presses its own button
// and reports in the list only; nothing goes to the output lines.
void OperationTest::commandLineWindowWithDisplay() {
    sim::SimulatorSettings settings;
    settings.dataloggerImage = datalogger(30, 1);
    const auto tester = test::startSimulator(settings);
    QVERIFY(tester);

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
    RecordedOutput recorded;

    QCOMPARE(app::runCommandLine(session, recorded.output(false)), 0);
    QVERIFY(seen.visible);
    QCOMPARE(seen.title, QStringLiteral("Download"));
    QCOMPARE(seen.size, QSize(400, 255));
    QCOMPARE(seen.buttonText, QStringLiteral("Download"));
    QVERIFY(!seen.buttonVisible);
    QCOMPARE(seen.lines, (QStringList{session.runStamp, session.runDescription}));
    QVERIFY(recorded.lines.isEmpty());
    QVERIFY(recorded.notices.isEmpty());
    QVERIFY(QFile::exists(QStringLiteral("out.txt")));
    for (QWidget *widget : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<app::EventViewerWindow *>(widget));
}

QTEST_MAIN(OperationTest)
#include "tst_operation.moc"
