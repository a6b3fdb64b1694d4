#include "SimulatorImages.h"
#include "TesterSimulator.h"
#include "common/TesterAddress.h"
#include "link/TesterConnection.h"
#include "support/SimulatorFixture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace nxa;
using namespace nxa::link;
using nxa::sim::Scenario;
using nxa::test::startSimulator;

Q_DECLARE_METATYPE(nxa::link::Outcome)
Q_DECLARE_METATYPE(nxa::sim::Scenario)

namespace {

const quint32 kLocalhost = parseDottedAddress(QStringLiteral("127.0.0.1"));
const QString kPassword = QStringLiteral("583041");

// Everything the link told its window, in order.
struct HookRecorder {
    QStringList events;
    QList<QPair<QString, int>> progress;
    int pumps = 0;
    int repaints = 0;
    int networkErrors = 0;
    Notice networkNotice;
    int abortAtPump = 0; // the pump call (1-based) that reports a close request; 0: never

    LinkHooks hooks() {
        LinkHooks hooks;
        // Takes the pending events as a window's pump does: the connect
        // attempt completes through them.
        hooks.pumpEvents = [this] {
            ++pumps;
            events.append(QStringLiteral("pump"));
            QCoreApplication::processEvents();
            return abortAtPump > 0 && pumps >= abortAtPump;
        };
        hooks.repaintOnly = [this] {
            ++repaints;
            events.append(QStringLiteral("repaint"));
        };
        hooks.showProgress = [this](const QString &text, int value) {
            progress.append({text, value});
            events.append(QStringLiteral("progress %1 %2").arg(text).arg(value));
        };
        hooks.networkError = [this](const Notice &notice) {
            ++networkErrors;
            networkNotice = notice;
            events.append(QStringLiteral("network error"));
        };
        return hooks;
    }
};

sim::SimulatorSettings settingsFor(Scenario scenario, int records = 20) {
    sim::SimulatorSettings settings;
    settings.scenario = scenario;
    sim::GeneratedDatalogger datalogger;
    datalogger.records = records;
    datalogger.names = true;
    datalogger.flags = true;
    settings.dataloggerImage = sim::generateDataloggerImage(datalogger);
    settings.configurationImage = sim::defaultConfigurationImage(4);
    return settings;
}

QByteArray request(const char *command, const QByteArray &password) {
    QByteArray bytes = QByteArray(command) + password;
    return bytes + QByteArray(64 - 4 - QString::fromUtf8(password).size(), ' ');
}

// Each percentage shown is above the one before, after the wait's "0%".
bool risesOnly(const QList<QPair<QString, int>> &progress, QString &why) {
    if (progress.isEmpty() || progress.first() != qMakePair(QStringLiteral("0%"), 0)) {
        why = QStringLiteral("a wait must start at 0%");
        return false;
    }
    for (qsizetype i = 1; i < progress.size(); ++i) {
        const auto &[text, value] = progress.at(i);
        if (value <= progress.at(i - 1).second || value > 99 ||
            text != QString::number(value) + QLatin1Char('%')) {
            why = QStringLiteral("step %1 shows %2 / %3").arg(i).arg(text).arg(value);
            return false;
        }
    }
    return true;
}

} // namespace

class TesterConnectionTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { qunsetenv(kTesterPortVariable); }

    void login_data();
    void login();
    void cannotConnect();
    void requestBytes_data();
    void requestBytes();
    void transferFailure_data();
    void transferFailure();
    void fullDatalogger();
    void emptyDatalogger();
    void configurationDownload();
    void dripCompletes_data();
    void dripCompletes();
    void upload();
    void uploadFails_data();
    void uploadFails();
    void abort_data();
    void abort();
    void secondOperationClosesFirst();
    void staleReplyBytesDoNotCount();
    void commandWithoutConnection();
    void bufferedBytesTakenAtOnce();
    void connectEndsWithTheSocket_data();
    void connectEndsWithTheSocket();
    void slowOrCutExchangeFails_data();
    void slowOrCutExchangeFails();
};

void TesterConnectionTest::login_data() {
    QTest::addColumn<Scenario>("scenario");
    QTest::addColumn<QString>("password");
    QTest::addColumn<Outcome>("outcome");

    QTest::newRow("accepted") << Scenario::Normal << kPassword << Outcome::Success;
    QTest::newRow("wrong password") << Scenario::Normal << "583042" << Outcome::WrongPassword;
    QTest::newRow("empty password") << Scenario::Normal << "" << Outcome::WrongPassword;
    QTest::newRow("busy") << Scenario::Busy << kPassword << Outcome::Busy;
    QTest::newRow("every password refused")
        << Scenario::WrongPassword << kPassword << Outcome::WrongPassword;
    QTest::newRow("silent") << Scenario::Silent << kPassword << Outcome::NoTester;
    QTest::newRow("garbage") << Scenario::Garbage << kPassword << Outcome::NoTester;
    QTest::newRow("four bytes NXAO") << Scenario::Nxao << kPassword << Outcome::NoTester;
}

void TesterConnectionTest::login() {
    QFETCH(Scenario, scenario);
    QFETCH(QString, password);
    QFETCH(Outcome, outcome);

    auto simulator = startSimulator(settingsFor(scenario));
    QVERIFY(simulator);
    HookRecorder recorder;
    TesterConnection connection(test::loopbackTimings());
    connection.setHooks(recorder.hooks());

    QCOMPARE(connection.connectAndLogin(kLocalhost, password), outcome);
    // The connection stays for the next operation to close, whatever the reply.
    QVERIFY(connection.isOpen());
    QCOMPARE(recorder.networkErrors, 0);
    QCOMPARE(recorder.progress.first(), qMakePair(QStringLiteral("0%"), 0));
}

void TesterConnectionTest::cannotConnect() {
    const quint16 closedPort = test::closedPort();
    QVERIFY(closedPort != 0);
    test::useTesterPort(closedPort);
    HookRecorder recorder;
    TesterConnection connection(test::loopbackTimings());
    connection.setHooks(recorder.hooks());

    QCOMPARE(connection.connectAndLogin(kLocalhost, kPassword), Outcome::CannotConnect);
    QVERIFY(!connection.isOpen());
    QCOMPARE(recorder.networkErrors, 0);
    QCOMPARE(connection.downloadDatalogger(kPassword).outcome, Outcome::CommunicationFailure);
}

void TesterConnectionTest::requestBytes_data() {
    QTest::addColumn<QString>("password");
    QTest::addColumn<QByteArray>("passwordBytes");

    QTest::newRow("digits") << "583041" << QByteArray("583041");
    QTest::newRow("letters") << "AbCdEf" << QByteArray("AbCdEf");
    QTest::newRow("non-ASCII") << QString::fromUtf8("\xC3\xA9t\xC3\xA9"
                                                    "123")
                               << QByteArray("\xC3\xA9t\xC3\xA9"
                                             "123");
}

void TesterConnectionTest::requestBytes() {
    QFETCH(QString, password);
    QFETCH(QByteArray, passwordBytes);

    sim::SimulatorSettings settings = settingsFor(Scenario::Normal);
    settings.password = password;
    auto simulator = startSimulator(settings);
    QVERIFY(simulator);
    TesterConnection connection(test::loopbackTimings());

    QCOMPARE(connection.connectAndLogin(kLocalhost, password), Outcome::Success);
    QCOMPARE(connection.downloadDatalogger(password).outcome, Outcome::Success);
    QCOMPARE(connection.downloadConfiguration(password).outcome, Outcome::Success);
    QCOMPARE(connection.uploadConfiguration(password, sim::defaultConfigurationImage(9)),
             Outcome::Success);

    const QList<QByteArray> expected = {
        request("NXAC", passwordBytes), request("NXAD", passwordBytes),
        request("NXAE", passwordBytes), request("NXAI", passwordBytes)};
    QCOMPARE(simulator->simulator().receivedRequests(), expected);
}

void TesterConnectionTest::transferFailure_data() {
    QTest::addColumn<Scenario>("scenario");
    QTest::addColumn<bool>("datalogger");
    QTest::addColumn<int>("received");
    QTest::addColumn<int>("networkErrors");

    QTest::newRow("datalogger one byte short") << Scenario::Short << true << 192191 << 0;
    QTest::newRow("datalogger one byte long") << Scenario::Long << true << 192193 << 0;
    QTest::newRow("datalogger closed halfway") << Scenario::CloseMidTransfer << true << 96096 << 1;
    QTest::newRow("datalogger after closed login") << Scenario::CloseAfterLogin << true << 0 << 1;
    QTest::newRow("configuration one byte short") << Scenario::Short << false << 32959 << 0;
    QTest::newRow("configuration one byte long") << Scenario::Long << false << 32961 << 0;
    QTest::newRow("configuration closed halfway")
        << Scenario::CloseMidTransfer << false << 16480 << 1;
}

void TesterConnectionTest::transferFailure() {
    QFETCH(Scenario, scenario);
    QFETCH(bool, datalogger);
    QFETCH(int, received);
    QFETCH(int, networkErrors);

    auto simulator = startSimulator(settingsFor(scenario));
    QVERIFY(simulator);
    HookRecorder recorder;
    TesterConnection connection(test::loopbackTimings());
    connection.setHooks(recorder.hooks());

    QCOMPARE(connection.connectAndLogin(kLocalhost, kPassword), Outcome::Success);
    const TesterConnection::Transfer transfer = datalogger
                                                    ? connection.downloadDatalogger(kPassword)
                                                    : connection.downloadConfiguration(kPassword);
    QCOMPARE(transfer.outcome, Outcome::CommunicationFailure);
    QVERIFY(transfer.image.isEmpty());
    QCOMPARE(transfer.receivedCount, received);
    QCOMPARE(recorder.networkErrors, networkErrors);
    if (networkErrors > 0)
        QCOMPARE(recorder.networkNotice, networkErrorNotice());
}

void TesterConnectionTest::fullDatalogger() {
    const sim::SimulatorSettings settings = settingsFor(Scenario::Normal, 10000);
    auto simulator = startSimulator(settings);
    QVERIFY(simulator);
    HookRecorder recorder;
    LinkTimings timings = test::loopbackTimings();
    // A wait that took one poll per receive call would need 193 passes.
    timings.pollIntervalMs = 200;
    timings.idleTimeoutMs = 2000;
    TesterConnection connection(timings);
    connection.setHooks(recorder.hooks());

    QCOMPARE(connection.connectAndLogin(kLocalhost, kPassword), Outcome::Success);
    recorder = HookRecorder();
    connection.setHooks(recorder.hooks());
    const TesterConnection::Transfer transfer = connection.downloadDatalogger(kPassword);

    QCOMPARE(transfer.outcome, Outcome::Success);
    QCOMPARE(transfer.image.size(), kDataloggerTransferSize);
    QVERIFY(transfer.image == settings.dataloggerImage);
    QVERIFY2(recorder.pumps < 40, qPrintable(QString::number(recorder.pumps)));
    QString why;
    QVERIFY2(risesOnly(recorder.progress, why), qPrintable(why));
    QVERIFY(recorder.progress.size() > 50); // a percentage per 1000 bytes, each shown once
}

void TesterConnectionTest::emptyDatalogger() {
    const sim::SimulatorSettings settings = settingsFor(Scenario::Normal, 0);
    auto simulator = startSimulator(settings);
    QVERIFY(simulator);
    TesterConnection connection(test::loopbackTimings());
    QCOMPARE(connection.connectAndLogin(kLocalhost, kPassword), Outcome::Success);
    const TesterConnection::Transfer transfer = connection.downloadDatalogger(kPassword);
    QCOMPARE(transfer.outcome, Outcome::Success);
    QVERIFY(transfer.image == settings.dataloggerImage);
    // Header record: mark "R", count 00000000.
    QCOMPARE(transfer.image.mid(64, 1), QByteArray("R"));
    QCOMPARE(transfer.image.mid(64 + 17, 8), QByteArray("00000000"));
}

void TesterConnectionTest::configurationDownload() {
    const sim::SimulatorSettings settings = settingsFor(Scenario::Normal);
    auto simulator = startSimulator(settings);
    QVERIFY(simulator);
    TesterConnection connection(test::loopbackTimings());
    QCOMPARE(connection.connectAndLogin(kLocalhost, kPassword), Outcome::Success);
    const TesterConnection::Transfer transfer = connection.downloadConfiguration(kPassword);
    QCOMPARE(transfer.outcome, Outcome::Success);
    QCOMPARE(transfer.image.size(), kConfigurationTransferSize);
    // Preamble: peripheral number 4, then spaces; header begins "F;EPA Area".
    QCOMPARE(transfer.image.left(64), QByteArray(1, '\x04') + QByteArray(63, ' '));
    QCOMPARE(transfer.image.mid(64, 10), QByteArray("F;EPA Area"));
}

void TesterConnectionTest::dripCompletes_data() {
    QTest::addColumn<bool>("datalogger");
    QTest::addColumn<int>("sliceBytes");

    // Both transfers take longer than the idle limit, which counts from the last data.
    QTest::newRow("configuration") << false << 1000;
    QTest::newRow("datalogger") << true << 8000;
}

void TesterConnectionTest::dripCompletes() {
    QFETCH(bool, datalogger);
    QFETCH(int, sliceBytes);

    sim::SimulatorSettings settings = settingsFor(Scenario::Drip);
    settings.dripBytes = sliceBytes;
    settings.dripIntervalMs = 25;
    auto simulator = startSimulator(settings);
    QVERIFY(simulator);
    HookRecorder recorder;
    LinkTimings timings = test::loopbackTimings();
    timings.idleTimeoutMs = 250;
    TesterConnection connection(timings);
    connection.setHooks(recorder.hooks());

    QCOMPARE(connection.connectAndLogin(kLocalhost, kPassword), Outcome::Success);
    recorder = HookRecorder();
    connection.setHooks(recorder.hooks());
    const TesterConnection::Transfer transfer = datalogger
                                                    ? connection.downloadDatalogger(kPassword)
                                                    : connection.downloadConfiguration(kPassword);
    QCOMPARE(transfer.outcome, Outcome::Success);
    QVERIFY(transfer.image ==
            (datalogger ? settings.dataloggerImage : settings.configurationImage));
    QString why;
    QVERIFY2(risesOnly(recorder.progress, why), qPrintable(why));
}

void TesterConnectionTest::upload() {
    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    sim::SimulatorSettings settings = settingsFor(Scenario::Normal);
    settings.saveConfigPath = directory.filePath(QStringLiteral("CONFIG09.BRC"));
    auto simulator = startSimulator(settings);
    QVERIFY(simulator);
    HookRecorder recorder;
    TesterConnection connection(test::loopbackTimings());
    connection.setHooks(recorder.hooks());

    QByteArray image = sim::defaultConfigurationImage(9);
    image.replace(64 + 2, 8, "Cleanroo"); // another description
    QCOMPARE(connection.connectAndLogin(kLocalhost, kPassword), Outcome::Success);
    recorder = HookRecorder();
    connection.setHooks(recorder.hooks());
    QCOMPARE(connection.uploadConfiguration(kPassword, image), Outcome::Success);

    QVERIFY(simulator->simulator().configurationImage() == image);
    // Status "0%".."95%" with progress 5..100, then the reply wait from "0%".
    QList<QPair<QString, int>> expected;
    for (int step = 0; step < 20; ++step)
        expected.append({QString::number(5 * step) + QLatin1Char('%'), 5 * (step + 1)});
    expected.append({QStringLiteral("0%"), 0});
    QCOMPARE(recorder.progress, expected);
    // No user input during the image and the pacing: nothing but repaints
    // until the reply wait starts.
    const qsizetype replyWait = recorder.events.lastIndexOf(QStringLiteral("progress 0% 0"));
    QVERIFY(!recorder.events.mid(0, replyWait).contains(QStringLiteral("pump")));
    QVERIFY(recorder.repaints >= 19);
    QCOMPARE(recorder.networkErrors, 0);

    // The tester saved it in file form: the records without preamble, CR LF each.
    QFile saved(settings.saveConfigPath);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray file = saved.readAll();
    QCOMPARE(file.size(), 33924);
    for (int record = 0; record < 514; ++record) {
        QCOMPARE(file.mid(record * 66, 64), image.mid(64 + record * 64, 64));
        QCOMPARE(file.mid(record * 66 + 64, 2), QByteArray("\r\n"));
    }

    // The next configuration download serves what was uploaded.
    QCOMPARE(connection.connectAndLogin(kLocalhost, kPassword), Outcome::Success);
    QVERIFY(connection.downloadConfiguration(kPassword).image == image);
}

void TesterConnectionTest::uploadFails_data() {
    QTest::addColumn<Scenario>("scenario");
    QTest::addColumn<bool>("closed");

    QTest::newRow("refused") << Scenario::UploadRefused << false;
    QTest::newRow("connection closed after login") << Scenario::CloseAfterLogin << true;
}

void TesterConnectionTest::uploadFails() {
    QFETCH(Scenario, scenario);
    QFETCH(bool, closed);

    const sim::SimulatorSettings settings = settingsFor(scenario);
    auto simulator = startSimulator(settings);
    QVERIFY(simulator);
    HookRecorder recorder;
    TesterConnection connection(test::loopbackTimings());
    connection.setHooks(recorder.hooks());
    QCOMPARE(connection.connectAndLogin(kLocalhost, kPassword), Outcome::Success);
    QCOMPARE(connection.uploadConfiguration(kPassword, sim::defaultConfigurationImage(2)),
             Outcome::UploadFailed);
    QVERIFY(simulator->simulator().configurationImage() == settings.configurationImage);
    // The closed connection is reported, once per wait at most (send and reply).
    if (closed)
        QVERIFY(recorder.networkErrors >= 1 && recorder.networkErrors <= 2);
    else
        QCOMPARE(recorder.networkErrors, 0);
}

void TesterConnectionTest::abort_data() {
    QTest::addColumn<bool>("duringLogin");
    QTest::addColumn<bool>("final");
    QTest::addColumn<Outcome>("outcome");

    QTest::newRow("login, command line") << true << true << Outcome::Aborted;
    QTest::newRow("login, interactive") << true << false << Outcome::NoTester;
    QTest::newRow("download, command line") << false << true << Outcome::Aborted;
    QTest::newRow("download, interactive") << false << false << Outcome::CommunicationFailure;
}

void TesterConnectionTest::abort() {
    QFETCH(bool, duringLogin);
    QFETCH(bool, final);
    QFETCH(Outcome, outcome);

    sim::SimulatorSettings settings = settingsFor(duringLogin ? Scenario::Silent : Scenario::Drip);
    settings.dripIntervalMs = 40;
    auto simulator = startSimulator(settings);
    QVERIFY(simulator);
    HookRecorder recorder;
    LinkTimings timings = test::loopbackTimings();
    timings.idleTimeoutMs = 5000; // only the close request can end these waits early
    TesterConnection connection(timings);
    connection.setAbortIsFinal(final);

    if (!duringLogin) {
        QCOMPARE(connection.connectAndLogin(kLocalhost, kPassword), Outcome::Success);
        recorder.abortAtPump = 5;
        connection.setHooks(recorder.hooks());
        const TesterConnection::Transfer transfer = connection.downloadDatalogger(kPassword);
        QCOMPARE(transfer.outcome, outcome);
        QVERIFY(transfer.image.isEmpty());
        QVERIFY(transfer.receivedCount < kDataloggerTransferSize);
    } else {
        recorder.abortAtPump = 3;
        connection.setHooks(recorder.hooks());
        QCOMPARE(connection.connectAndLogin(kLocalhost, kPassword), outcome);
    }
    // The wait ended at the close request: no pump after it.
    QCOMPARE(recorder.pumps, recorder.abortAtPump);
}

void TesterConnectionTest::secondOperationClosesFirst() {
    auto simulator = startSimulator(settingsFor(Scenario::Normal));
    QVERIFY(simulator);
    sim::TesterSimulator &tester = simulator->simulator();
    TesterConnection connection(test::loopbackTimings());

    QCOMPARE(connection.connectAndLogin(kLocalhost, kPassword), Outcome::Success);
    QCOMPARE(connection.downloadDatalogger(kPassword).outcome, Outcome::Success);
    QVERIFY(connection.isOpen());
    QTRY_COMPARE(tester.openConnections(), 1);

    QCOMPARE(connection.connectAndLogin(kLocalhost, kPassword), Outcome::Success);
    QCOMPARE(tester.acceptedConnections(), 2);
    QTRY_COMPARE(tester.openConnections(), 1);

    connection.close();
    QVERIFY(!connection.isOpen());
    QTRY_COMPARE(tester.openConnections(), 0);
}

void TesterConnectionTest::staleReplyBytesDoNotCount() {
    // "NXAOK" from the first tester stays in the receive buffer; the second
    // one sends only "NXAO", which must not be completed by the old "K".
    auto first = startSimulator(settingsFor(Scenario::Normal));
    QVERIFY(first);
    TesterConnection connection(test::loopbackTimings());
    QCOMPARE(connection.connectAndLogin(kLocalhost, kPassword), Outcome::Success);

    auto second = startSimulator(settingsFor(Scenario::Nxao));
    QVERIFY(second);
    QCOMPARE(connection.connectAndLogin(kLocalhost, kPassword), Outcome::NoTester);
    QCOMPARE(connection.receivedCount(), 4);
}

void TesterConnectionTest::commandWithoutConnection() {
    TesterConnection connection(test::loopbackTimings());
    QVERIFY(!connection.isOpen());
    QCOMPARE(connection.downloadDatalogger(kPassword).outcome, Outcome::CommunicationFailure);
    QCOMPARE(connection.downloadConfiguration(kPassword).outcome, Outcome::CommunicationFailure);
    QCOMPARE(connection.uploadConfiguration(kPassword, QByteArray(32960, ' ')),
             Outcome::UploadFailed);
    connection.close();
}

// Bytes that the event pump has already moved into the socket's buffer are
// taken at once, not after a wait for more bytes that never come.
void TesterConnectionTest::bufferedBytesTakenAtOnce() {
    auto simulator = startSimulator(settingsFor(Scenario::Normal));
    QVERIFY(simulator);
    LinkTimings timings = test::loopbackTimings();
    timings.pollIntervalMs = 30000;
    timings.idleTimeoutMs = 30000;
    TesterConnection connection(timings);
    LinkHooks hooks;
    hooks.pumpEvents = [] {
        QTest::qWait(20);
        return false;
    };
    connection.setHooks(hooks);
    QElapsedTimer elapsed;
    elapsed.start();
    QCOMPARE(connection.connectAndLogin(kLocalhost, kPassword), Outcome::Success);
    QCOMPARE(connection.downloadDatalogger(kPassword).outcome, Outcome::Success);
    QVERIFY2(elapsed.elapsed() < timings.pollIntervalMs / 2,
             qPrintable(QString::number(elapsed.elapsed())));
}

// A connection made or refused ends the connect wait then, not at the end of
// a poll interval: the socket has no descriptor to wait on while connecting.
void TesterConnectionTest::connectEndsWithTheSocket_data() {
    QTest::addColumn<bool>("listening");
    QTest::addColumn<Outcome>("outcome");
    QTest::newRow("connected") << true << Outcome::Success;
    QTest::newRow("refused") << false << Outcome::CannotConnect;
}

void TesterConnectionTest::connectEndsWithTheSocket() {
    QFETCH(bool, listening);
    QFETCH(Outcome, outcome);
    std::unique_ptr<sim::SimulatorThread> simulator;
    if (listening) {
        simulator = startSimulator(settingsFor(Scenario::Normal));
        QVERIFY(simulator);
    } else {
        test::useTesterPort(test::closedPort());
    }
    LinkTimings timings = test::loopbackTimings();
    timings.pollIntervalMs = 30000;
    timings.connectTimeoutMs = 60000;
    TesterConnection connection(timings);
    HookRecorder recorder;
    connection.setHooks(recorder.hooks());
    QElapsedTimer elapsed;
    elapsed.start();
    QCOMPARE(connection.connectAndLogin(kLocalhost, kPassword), outcome);
    QVERIFY2(elapsed.elapsed() < timings.pollIntervalMs / 2,
             qPrintable(QString::number(elapsed.elapsed())));
}

void TesterConnectionTest::slowOrCutExchangeFails_data() {
    QTest::addColumn<Scenario>("scenario");
    // Each wait alone stays within the deadline, both together do not.
    QTest::newRow("login reply and datalogger dripped") << Scenario::DripLogin;
    QTest::newRow("login reply cut at 60 bytes") << Scenario::CutLoginReply;
}

// The transfer deadline bounds the whole exchange from the connect to the
// last byte, and a login reply cut short is a failed transfer as any other.
void TesterConnectionTest::slowOrCutExchangeFails() {
    QFETCH(Scenario, scenario);
    sim::SimulatorSettings settings = settingsFor(scenario, 3003);
    // The reply drips for 64 x 25 ms, the datalogger in 64 slices as long.
    settings.dripBytes = 3003;
    settings.dripIntervalMs = 25;
    auto simulator = startSimulator(settings);
    QVERIFY(simulator);
    LinkTimings timings = test::loopbackTimings();
    timings.idleTimeoutMs = 1000;
    timings.transferDeadlineMs = 2400;
    TesterConnection connection(timings);
    HookRecorder recorder;
    connection.setHooks(recorder.hooks());

    Outcome outcome = connection.connectAndLogin(kLocalhost, kPassword);
    if (outcome == Outcome::Success)
        outcome = connection.downloadDatalogger(kPassword).outcome;
    QCOMPARE(outcome, Outcome::CommunicationFailure);
}

QTEST_GUILESS_MAIN(TesterConnectionTest)
#include "tst_TesterConnection.moc"
