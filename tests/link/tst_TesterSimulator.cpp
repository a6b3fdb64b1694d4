#include "SimulatorCommandLine.h"
#include "SimulatorImages.h"
#include "SimulatorSession.h"
#include "common/TesterAddress.h"
#include "config/ConfigurationImage.h"
#include "config/StationConfig.h"
#include "link/TesterConnection.h"
#include "samples/DataloggerImageBuilder.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace nxa;
using nxa::sim::Scenario;

namespace {

QString simulatorExecutable() {
    return QStringLiteral(NXA_BINARY_DIR "/tools/tester-sim/nxa-tester-sim");
}

QByteArray preamble(int peripheral) {
    return QByteArray(1, static_cast<char>(peripheral)) + QByteArray(63, ' ');
}

} // namespace

class TesterSimulatorTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { qunsetenv("NXA_TESTER_PORT"); }

    void requestCutting_data();
    void requestCutting();
    void rejectedOptions_data();
    void rejectedOptions();
    void defaults();
    void portFromEnvironment();
    void generatedOptions();
    void logFile_data();
    void logFile();
    void configurationFile();
    void configurationFileForm();
    void helpDocumentsEverything();
    void executableServesAndNeverPrintsThePassword();
};

void TesterSimulatorTest::requestCutting_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("rest");

    const QByteArray ascii = QByteArray("NXAC583041") + QByteArray(54, ' ');
    QTest::newRow("one ASCII request") << ascii << ascii << QByteArray();
    QTest::newRow("followed by data") << ascii + "\x01\x02" << ascii << QByteArray("\x01\x02");
    QTest::newRow("incomplete") << ascii.left(63) << QByteArray() << ascii.left(63);
    const QByteArray accented = QByteArray("NXAC\xC3\xA9\xC3\xA9"
                                           "1234") +
                                QByteArray(54, ' ');
    QTest::newRow("two-byte characters") << accented + "NX" << accented << QByteArray("NX");
    // The 64th character is a two-byte sequence of which one byte came.
    const QByteArray split = QByteArray(63, 'A') + "\xC3";
    QTest::newRow("last character incomplete") << split << QByteArray() << split;
    // A byte that starts no valid sequence counts as one character.
    const QByteArray invalid = QByteArray("\xC3") + QByteArray(63, 'B');
    QTest::newRow("invalid lead byte") << invalid + "C" << invalid << QByteArray("C");
}

void TesterSimulatorTest::requestCutting() {
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, rest);

    // What arrives comes in a receive buffer far larger than one request; the
    // request kept in the simulator's history must not hold on to it, or a
    // simulator that runs for days grows by a buffer per request.
    input.reserve(32768);
    const std::optional<QByteArray> taken = sim::takeRequest(input);
    QCOMPARE(taken.has_value(), !request.isEmpty());
    if (taken) {
        QCOMPARE(*taken, request);
        QVERIFY(taken->capacity() < 1024);
    }
    QCOMPARE(input, rest);
}

void TesterSimulatorTest::rejectedOptions_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");

    QTest::newRow("unknown option") << QStringList{"--speed", "3"} << "unknown option --speed";
    QTest::newRow("positional") << QStringList{"80"} << "unexpected argument \"80\"";
    QTest::newRow("missing value") << QStringList{"--port"} << "--port needs a value";
    QTest::newRow("port too big") << QStringList{"--port", "65536"}
                                  << "--port must be a whole number from 0 to 65535";
    QTest::newRow("port not a number")
        << QStringList{"--port=http"} << "--port must be a whole number from 0 to 65535";
    QTest::newRow("too many records")
        << QStringList{"--records", "10001"} << "--records must be a whole number from 0 to 10000";
    QTest::newRow("peripheral 0") << QStringList{"--peripheral", "0"}
                                  << "--peripheral must be a whole number from 1 to 100";
    QTest::newRow("two letters") << QStringList{"--recognition", "FX"}
                                 << "--recognition needs one letter, such as F or X";
    QTest::newRow("bad address") << QStringList{"--listen", "localhost:80"}
                                 << "--listen needs an IP address, not \"localhost:80\"";
    QTest::newRow("switch with value") << QStringList{"--names=yes"} << "--names takes no value";
    QTest::newRow("twice") << QStringList{"--port", "1", "--port", "2"} << "--port given twice";
    QTest::newRow("log and records") << QStringList{"--log", "x.BRL", "--records", "5"}
                                     << "--log cannot be combined with --records";
    QTest::newRow("log and names")
        << QStringList{"--names", "--log", "x.BRL"} << "--log cannot be combined with --names";
}

void TesterSimulatorTest::rejectedOptions() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    const sim::CommandLineResult result = sim::parseSimulatorCommandLine(arguments);
    QCOMPARE(result.error, error);
}

void TesterSimulatorTest::defaults() {
    qunsetenv("NXA_TESTER_PORT");
    const sim::CommandLineResult result = sim::parseSimulatorCommandLine({});
    QVERIFY(result.error.isEmpty());
    QVERIFY(!result.helpRequested);
    const sim::SimulatorCommandLine &options = result.options;
    QCOMPARE(options.listenAddress, QHostAddress(QHostAddress::LocalHost));
    QCOMPARE(options.port, quint16(80));
    QCOMPARE(options.settings.password, QStringLiteral("583041"));
    QCOMPARE(options.settings.scenario, Scenario::Normal);
    QCOMPARE(options.settings.dataloggerImage.size(), 192192);
    // Default datalogger: 100 records, fingerprint stations.
    QCOMPARE(options.settings.dataloggerImage.mid(64 + 17, 8), QByteArray("00000100"));
    QCOMPARE(options.settings.dataloggerImage.at(64 + 26), 'F');
    QCOMPARE(options.settings.configurationImage,
             config::encodeConfigurationTransfer(config::StationConfig()));

    QVERIFY(sim::parseSimulatorCommandLine({QStringLiteral("--help")}).helpRequested);
    QVERIFY(sim::parseSimulatorCommandLine({QStringLiteral("-h")}).helpRequested);
}

void TesterSimulatorTest::portFromEnvironment() {
    qputenv("NXA_TESTER_PORT", "8081");
    QCOMPARE(sim::parseSimulatorCommandLine({}).options.port, quint16(8081));
    // --port wins over the environment.
    QCOMPARE(sim::parseSimulatorCommandLine({QStringLiteral("--port=0")}).options.port, quint16(0));
}

void TesterSimulatorTest::generatedOptions() {
    const QStringList arguments = {"--records",    "0",      "--recognition",   "X",
                                   "--peripheral", "12",     "--scenario",      "drip",
                                   "--drip-bytes", "500",    "--drip-interval", "7",
                                   "--password",   "abcdef", "--listen",        "0.0.0.0"};
    const sim::CommandLineResult result = sim::parseSimulatorCommandLine(arguments);
    QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
    const sim::SimulatorSettings &settings = result.options.settings;
    QCOMPARE(result.options.listenAddress, QHostAddress(QHostAddress::AnyIPv4));
    QCOMPARE(settings.scenario, Scenario::Drip);
    QCOMPARE(settings.dripBytes, 500);
    QCOMPARE(settings.dripIntervalMs, 7);
    QCOMPARE(settings.password, QStringLiteral("abcdef"));
    QCOMPARE(settings.dataloggerImage.at(0), '\x0C');
    QCOMPARE(settings.dataloggerImage.mid(64 + 17, 8), QByteArray("00000000"));
    QCOMPARE(settings.dataloggerImage.at(64 + 26), 'X');
    QCOMPARE(settings.configurationImage.at(0), '\x0C');

    // Deterministic: the same options give the same datalogger.
    const QStringList generated = {"--records", "300", "--names", "--flags", "--seed", "7"};
    QCOMPARE(sim::parseSimulatorCommandLine(generated).options.settings.dataloggerImage,
             sim::parseSimulatorCommandLine(generated).options.settings.dataloggerImage);
}

void TesterSimulatorTest::logFile_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("extra");
    QTest::addColumn<int>("peripheral");

    QTest::newRow("standard name") << "LOG07.BRL" << QStringList() << 7;
    QTest::newRow("LOG00 counts as 1") << "LOG00.BRL" << QStringList() << 1;
    QTest::newRow("other name") << "today.BRL" << QStringList() << 1;
    QTest::newRow("peripheral option wins")
        << "LOG07.BRL" << QStringList{"--peripheral", "42"} << 42;
}

void TesterSimulatorTest::logFile() {
    QFETCH(QString, name);
    QFETCH(QStringList, extra);
    QFETCH(int, peripheral);

    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    records::DataloggerImageBuilder builder = records::sampleDatalogger(250, 3);
    const QString path = directory.filePath(name);
    QVERIFY(test::writeFile(path, builder.fileImage()));

    const sim::CommandLineResult result =
        sim::parseSimulatorCommandLine(QStringList{"--log", path} + extra);
    QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
    QVERIFY(result.options.warnings.isEmpty());
    const QByteArray image = result.options.settings.dataloggerImage;
    QCOMPARE(image.size(), 192192);
    QCOMPARE(image.left(64), preamble(peripheral));
    QVERIFY(image.mid(64) == builder.transferImage().mid(64));
}

void TesterSimulatorTest::configurationFile() {
    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    config::StationConfig station;
    station.description = QStringLiteral("Line 3");
    station.users[5].name = QStringLiteral("Ada");
    const QByteArray file = config::encodeConfigurationFile(station);
    const QString path = directory.filePath(QStringLiteral("CONFIG23.BRC"));
    QVERIFY(test::writeFile(path, file));

    sim::CommandLineResult result = sim::parseSimulatorCommandLine({"--config", path});
    QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
    QVERIFY(result.options.warnings.isEmpty());
    station.setPeripheralNumber(23);
    QCOMPARE(result.options.settings.configurationImage,
             config::encodeConfigurationTransfer(station));

    // A name not like CONFIGXX.BRC: served with peripheral number 1, and a warning.
    const QString other = directory.filePath(QStringLiteral("line3.BRC"));
    QVERIFY(test::writeFile(other, file));
    result = sim::parseSimulatorCommandLine({"--config", other});
    QVERIFY(result.error.isEmpty());
    QCOMPARE(result.options.warnings.size(), 1);
    QCOMPARE(result.options.settings.configurationImage.left(64), preamble(1));

    // Not a configuration: header byte 1 is not ";".
    const QString broken = directory.filePath(QStringLiteral("CONFIG01.BRC"));
    QVERIFY(test::writeFile(broken, QByteArray(33924, 'x')));
    result = sim::parseSimulatorCommandLine({"--config", broken});
    QCOMPARE(result.error, broken + QStringLiteral(" is not a configuration file"));

    result = sim::parseSimulatorCommandLine({"--config", directory.filePath("missing.BRC")});
    QVERIFY(result.error.startsWith(QStringLiteral("cannot read ")));
}

void TesterSimulatorTest::configurationFileForm() {
    // Preamble dropped, CR LF after each of the 514 records.
    QByteArray transfer = preamble(3);
    for (int record = 0; record < 514; ++record)
        transfer += QByteArray(64, static_cast<char>('A' + record % 26));
    const QByteArray file = sim::configurationFileForm(transfer);
    QCOMPARE(file.size(), 33924);
    QCOMPARE(file.left(66), QByteArray(64, 'A') + "\r\n");
    QCOMPARE(file.mid(66 * 513), QByteArray(64, static_cast<char>('A' + 513 % 26)) + "\r\n");
    // A short image is completed with zeros rather than shifting the records.
    const QByteArray shortFile = sim::configurationFileForm(transfer.left(100));
    QCOMPARE(shortFile.size(), 33924);
    QCOMPARE(shortFile.left(66), QByteArray(36, 'A') + QByteArray(28, '\0') + "\r\n");
}

void TesterSimulatorTest::helpDocumentsEverything() {
    QProcess process;
    process.start(simulatorExecutable(), {QStringLiteral("--help")});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 0);
    const QString help = QString::fromUtf8(process.readAllStandardOutput());
    QCOMPARE(help, sim::simulatorHelpText());
    const QStringList options = {"--listen",   "--port",       "--password",      "--log",
                                 "--records",  "--names",      "--flags",         "--recognition",
                                 "--seed",     "--config",     "--save-config",   "--peripheral",
                                 "--scenario", "--drip-bytes", "--drip-interval", "--help"};
    for (const QString &option : options)
        QVERIFY2(help.contains(option + QLatin1Char(' ')), qPrintable(option));
    for (const QString &scenario : sim::scenarioNames())
        QVERIFY2(help.contains(scenario), qPrintable(scenario));
    QVERIFY(help.contains(QStringLiteral("NXA_TESTER_PORT")));

    process.start(simulatorExecutable(), {QStringLiteral("--scenario"), QStringLiteral("sleepy")});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 2);
    QVERIFY(process.readAllStandardError().startsWith("nxa-tester-sim: unknown scenario"));
}

void TesterSimulatorTest::executableServesAndNeverPrintsThePassword() {
    QProcess process;
    process.start(simulatorExecutable(),
                  {"--port", "0", "--password", "424242", "--records", "5", "--names"});
    QVERIFY(process.waitForStarted(10000));
    QVERIFY(process.waitForReadyRead(10000));
    const QString banner = QString::fromUtf8(process.readLine()).trimmed();
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^nxa-tester-sim listening on 127\\.0\\.0\\.1:(\\d+) "
                                          "\\(scenario normal\\)$"))
            .match(banner);
    QVERIFY2(match.hasMatch(), qPrintable(banner));
    qputenv("NXA_TESTER_PORT", match.captured(1).toLatin1());

    link::LinkTimings timings;
    timings.idleTimeoutMs = 500;
    timings.pollIntervalMs = 10;
    link::TesterConnection connection(timings);
    const quint32 localhost = parseDottedAddress(QStringLiteral("127.0.0.1"));
    QCOMPARE(connection.connectAndLogin(localhost, QStringLiteral("111111")),
             link::Outcome::WrongPassword);
    QCOMPARE(connection.connectAndLogin(localhost, QStringLiteral("424242")),
             link::Outcome::Success);
    const link::TesterConnection::Transfer transfer =
        connection.downloadDatalogger(QStringLiteral("424242"));
    QCOMPARE(transfer.outcome, link::Outcome::Success);
    QCOMPARE(transfer.image.mid(64 + 17, 8), QByteArray("00000005"));
    connection.close();

    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += process.readAllStandardOutput()).count('\n') >= 3, 10000);
    process.kill();
    process.waitForFinished(10000);
    const QList<QByteArray> lines = output.trimmed().split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.at(0).endsWith("NXAC: wrong password, answered WP"));
    QVERIFY(lines.at(1).endsWith("NXAC: login accepted, answered NXAOK"));
    QVERIFY(lines.at(2).endsWith("NXAD: sent the datalogger (192192 bytes)"));
    QVERIFY(!output.contains("424242"));
    QVERIFY(!output.contains("111111"));
}

QTEST_GUILESS_MAIN(TesterSimulatorTest)
#include "tst_TesterSimulator.moc"
