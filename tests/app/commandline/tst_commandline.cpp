// The command-line mode as a scheduler sees it: the real nxa-manager
// executable against a simulated tester on a loopback port, judged by its exit
// code, its standard output, log.txt, preferences.pref and the exported file.

#include "TesterSimulator.h"
#include "app/commandline/CommandLineLog.h"
#include "app/commandline/CommandLineParameters.h"
#include "app/commandline/CommandLineRun.h"
#include "app/commandline/TerminationSignals.h"
#include "app/operation/TesterOperation.h"
#include "app/shared/Session.h"
#include "samples/DataloggerImageBuilder.h"
#include "support/SimulatorFixture.h"
#include "support/TestFiles.h"
#include "support/WorkedRecord.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include <csignal>
#include <cstddef>

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace nxa;
using nxa::sim::Scenario;
using nxa::test::closedPort;
using nxa::test::readFile;

Q_DECLARE_METATYPE(nxa::sim::Scenario)

namespace {

const QString kPassword = QStringLiteral("583041");
const QByteArray kOkLine = "     0 - OK: Data downloaded and saved correctly in the file";
const QByteArray kWrongParametersLine = "     1 - Error: Wrong executable commandline parameters.";

QString managerPath() {
    return QStringLiteral(NXA_BINARY_DIR "/src/app/nxa-manager");
}

// User 7 "Gate", visitor, L+R 1200, no wrist strap, failed, keyboard.
records::AccessRecord visitorRecord() {
    records::AccessRecord r;
    r.user = 7;
    r.footwear = 1200;
    r.wristStrap = 0;
    r.timestamp = records::AccessRecord::dosTimestamp(2021, 1, 2, 3, 4, 6);
    r.flags = 0x80 | 0x10 | 0x08;
    return r;
}

QByteArray twoRecordDatalogger() {
    records::DataloggerImageBuilder builder;
    builder.setPeripheralNumber(1);
    builder.setUserName(5, test::kWorkedUserName);
    builder.setUserName(7, "Gate");
    builder.addRecord(test::workedRecord());
    builder.addRecord(visitorRecord());
    return builder.transferImage();
}

struct ManagerRun {
    int exitCode = -1;
    QList<QByteArray> lines; // standard output, one entry per line
    QByteArray standardError;
};

sim::SimulatorSettings settingsFor(Scenario scenario, const QByteArray &datalogger) {
    sim::SimulatorSettings settings;
    settings.scenario = scenario;
    settings.dataloggerImage = datalogger;
    settings.dripBytes = 4000;
    settings.dripIntervalMs = 20;
    return settings;
}

// A manager process without a display, pointed at the tester's port.
void prepareManager(QProcess &process, const QStringList &arguments, const QString &directory,
                    quint16 port) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    // As under cron or `env -i`.
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    environment.insert(QStringLiteral("NXA_TESTER_PORT"), QString::number(port));
    environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(directory);
    process.setProgram(managerPath());
    process.setArguments(arguments);
}

// `beforeStart` may change the prepared program, arguments, environment and
// channels of the process.
ManagerRun runManager(const QStringList &arguments, const QString &directory, quint16 port,
                      const std::function<void(QProcess &)> &whileRunning = {},
                      const std::function<void(QProcess &)> &beforeStart = {}) {
    QProcess process;
    prepareManager(process, arguments, directory, port);
    if (beforeStart)
        beforeStart(process);
    process.start();
    ManagerRun run;
    if (!process.waitForStarted(10000))
        return run;
    if (whileRunning)
        whileRunning(process);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    QByteArray out = process.readAllStandardOutput();
    if (out.endsWith('\n'))
        out.chop(1);
    if (!out.isEmpty())
        run.lines = out.split('\n');
    run.standardError = process.readAllStandardError();
    return run;
}

QByteArray crlf(const QList<QByteArray> &lines) {
    QByteArray bytes;
    for (const QByteArray &line : lines)
        bytes += line + "\r\n";
    return bytes;
}

const QRegularExpression
    kStampPattern(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}  \\d{2}:\\d{2}:\\d{2}$"));

bool isStamp(const QByteArray &line) {
    return kStampPattern.match(QString::fromUtf8(line)).hasMatch();
}

// The last line of log.txt, without its line end.
QByteArray loggedResult(const QString &directory) {
    QByteArray log = readFile(directory + QStringLiteral("/log.txt"));
    log.chop(2);
    return log.mid(log.lastIndexOf("\r\n") + 2);
}

QString fifoIn(const QString &directory, const char *name) {
    const QString path = directory + QLatin1Char('/') + QLatin1String(name);
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0 ? path : QString();
}

// Takes the first queued call, the run's press of its own button, and while
// handling it sends the run a close request as a termination signal does
// (without a display there is no window to close). With `swallowPress` the
// press never arrives: the request came first.
class CloseAtPress : public QObject {
public:
    explicit CloseAtPress(bool swallowPress) : m_swallowPress(swallowPress) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~CloseAtPress() override { QCoreApplication::instance()->removeEventFilter(this); }

    bool fired() const { return m_fired; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (m_fired || watched == QCoreApplication::instance() || event->type() != QEvent::MetaCall)
            return false;
        m_fired = true;
        QEvent close(QEvent::Close);
        QCoreApplication::sendEvent(QCoreApplication::instance(), &close);
        return m_swallowPress;
    }

private:
    bool m_swallowPress;
    bool m_fired = false;
};

// A run in this process ends by holding the termination signals (ignored
// from its record on); they are given back, or every manager started later
// would inherit them ignored and keep them so.
class KeptTerminationSignals {
public:
    KeptTerminationSignals() {
        app::forEachTerminationSignal([this](int signal) {
            struct sigaction saved = {};
            ::sigaction(signal, nullptr, &saved);
            m_saved.emplace_back(signal, saved);
        });
    }
    ~KeptTerminationSignals() {
        for (const auto &[signal, saved] : m_saved)
            ::sigaction(signal, &saved, nullptr);
    }
    KeptTerminationSignals(const KeptTerminationSignals &) = delete;
    KeptTerminationSignals &operator=(const KeptTerminationSignals &) = delete;

private:
    std::vector<std::pair<int, struct sigaction>> m_saved;
};

// An X server on a loopback port that answers every connection setup with
// `answer` (only the first one with `answersOnce`) and then says nothing,
// holding the connection open: a display that answers partly.
class FakeXServer {
public:
    FakeXServer(const QByteArray &answer, bool answersOnce)
        : m_answer(answer), m_answersOnce(answersOnce) {
        for (int display = 90; display < 200 && m_display < 0; ++display) {
            m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_in address = {};
            address.sin_family = AF_INET;
            address.sin_port = htons(static_cast<quint16>(6000 + display));
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
                ::listen(m_listener, 8) == 0)
                m_display = display;
            else
                ::close(m_listener);
        }
        if (m_display >= 0)
            m_thread = std::thread([this] { serve(); });
    }
    ~FakeXServer() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        for (const int fd : m_connections)
            ::close(fd);
        if (m_display >= 0)
            ::close(m_listener);
    }
    FakeXServer(const FakeXServer &) = delete;
    FakeXServer &operator=(const FakeXServer &) = delete;

    QString display() const { return QStringLiteral("127.0.0.1:%1").arg(m_display); }
    bool listening() const { return m_display >= 0; }
    int connections() const { return m_accepted; }

private:
    void serve() {
        while (!m_stop) {
            pollfd entry = {m_listener, POLLIN, 0};
            if (::poll(&entry, 1, 20) <= 0)
                continue;
            const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            m_connections.push_back(fd);
            // The client's 12 bytes of setup request, then the answer.
            char request[12];
            pollfd client = {fd, POLLIN, 0};
            if (::poll(&client, 1, 2000) > 0 && ::recv(fd, request, sizeof request, 0) > 0 &&
                (!m_answersOnce || m_accepted == 0))
                ::send(fd, m_answer.constData(), static_cast<size_t>(m_answer.size()),
                       MSG_NOSIGNAL);
            ++m_accepted;
        }
    }

    QByteArray m_answer;
    bool m_answersOnce;
    int m_listener = -1;
    int m_display = -1;
    std::vector<int> m_connections;
    std::atomic<int> m_accepted = 0;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};

// In the child: open(2) refuses O_TMPFILE as vfat, CIFS and NFSv3 do.
void refuseUnnamedFiles() {
    constexpr auto kFlagsOf = [](int argument) {
        return static_cast<quint32>(offsetof(seccomp_data, args) + argument * sizeof(quint64));
    };
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_openat, 0, 2),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, kFlagsOf(2)),
        BPF_JUMP(BPF_JMP | BPF_JA, 2, 0, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_open, 0, 3),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, kFlagsOf(1)),
        BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, O_TMPFILE & ~O_DIRECTORY, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EOPNOTSUPP),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    const sock_fprog program = {static_cast<unsigned short>(std::size(filter)), filter};
    ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
    ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program);
}

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void parameterCheck_data();
    void parameterCheck();
    void wrongParametersRun_data();
    void wrongParametersRun();
    void resultCodes_data();
    void resultCodes();
    void abortBySignalIsCodeSeven();
    void closeAroundThePress_data();
    void closeAroundThePress();
    void staleDisplay_data();
    void staleDisplay();
    void unreadStandardOutput_data();
    void unreadStandardOutput();
    void requestBytes();
    void logRecordsAccumulate();
    void preferencesWrittenBeforeConnecting();
    void unwritableLogAndPreferences();
    void textOutput();
    void workbookOutput();
    void fullDatalogger_data();
    void fullDatalogger();
    void emptyDatalogger();
    void unmarkedDatalogger_data();
    void unmarkedDatalogger();
    void passwordNeverWritten();
    void passwordHiddenWhileRunning();
    void concurrentWorkbookRuns();
    void toolkitOptionsAreParameters_data();
    void toolkitOptionsAreParameters();
    void signalDuringConnect();
    void signalAfterTheRecord();
    void nonRegularFiles_data();
    void nonRegularFiles();
    void fullDiskKeepsEarlierFiles_data();
    void fullDiskKeepsEarlierFiles();
    void outputPathBytes_data();
    void outputPathBytes();
    void signalsAtRandomMoments_data();
    void signalsAtRandomMoments();
    void tricklingTesterMeetsTheDeadline();
    void fileSizeLimit_data();
    void fileSizeLimit();
    void workbookPathRule_data();
    void workbookPathRule();
    void closedStandardDescriptors_data();
    void closedStandardDescriptors();
    void partlyAnsweringDisplay_data();
    void partlyAnsweringDisplay();
    void heldLogLock_data();
    void heldLogLock();
    void namedPlatform_data();
    void namedPlatform();
    void otherSignals_data();
    void otherSignals();
    void workbookWithoutUnnamedFiles_data();
    void workbookWithoutUnnamedFiles();
};

void CommandLineTest::parameterCheck_data() {
    QTest::addColumn<QStringList>("parameters");
    QTest::addColumn<bool>("addressOk");
    QTest::addColumn<bool>("passwordOk");
    QTest::addColumn<bool>("switchOk");
    QTest::addColumn<bool>("countOk");
    QTest::addColumn<QString>("combined");

    const auto row = [](const char *name, QStringList p, bool a, bool pw, bool s, bool c,
                        const char *combined) {
        QTest::newRow(name) << p << a << pw << s << c << QString::fromLatin1(combined);
    };
    row("valid txt", {"192.168.1.99", "583041", "/TXT", "out.txt"}, true, true, true, true,
        "192.168.1.99");
    row("valid xlsx", {"10.0.0.7", "abcdef", "/XLSX", "o"}, true, true, true, true, "10.0.0.7");
    row("leading zeros", {"192.168.001.099", "583041", "/TXT", "o"}, false, true, true, true,
        "192.168.1.99");
    row("three fields", {"192.168.1", "583041", "/TXT", "o"}, false, true, true, true,
        "192.168.1.0");
    row("five fields", {"192.168.1.99.5", "583041", "/TXT", "o"}, false, true, true, true,
        "192.168.1.99");
    row("field above 255", {"256.1.1.1", "583041", "/TXT", "o"}, false, true, true, true,
        "0.2.1.1");
    row("trailing space", {"192.168.1.99 ", "583041", "/TXT", "o"}, false, true, true, true,
        "192.168.1.99");
    row("signed field", {"+1.2.3.4", "583041", "/TXT", "o"}, false, true, true, true, "0.2.3.4");
    row("zero address", {"0.0.0.0", "583041", "/TXT", "o"}, true, true, true, true, "0.0.0.0");
    row("five-character password", {"1.2.3.4", "58304", "/TXT", "o"}, true, false, true, true,
        "1.2.3.4");
    row("seven-character password", {"1.2.3.4", "5830411", "/TXT", "o"}, true, false, true, true,
        "1.2.3.4");
    // Characters count, not UTF-16 units: U+1F511 takes two of them.
    row("six characters, one outside the BMP", {"1.2.3.4", "58304\U0001F511", "/TXT", "o"}, true,
        true, true, true, "1.2.3.4");
    row("five characters, one outside the BMP", {"1.2.3.4", "5830\U0001F511", "/TXT", "o"}, true,
        false, true, true, "1.2.3.4");
    row("six characters, all outside the BMP",
        {"1.2.3.4", "\U0001F511\U0001F512\U0001F513\U0001F514\U0001F515\U0001F516", "/TXT", "o"},
        true, true, true, true, "1.2.3.4");
    row("six non-ASCII characters",
        {"1.2.3.4", "\u00e4\u00f6\u00fc\u00df\u00e9\u00e8", "/TXT", "o"}, true, true, true, true,
        "1.2.3.4");
    row("lower-case switch", {"1.2.3.4", "583041", "/txt", "o"}, true, true, false, true,
        "1.2.3.4");
    row("short switch", {"1.2.3.4", "583041", "/XLS", "o"}, true, true, false, true, "1.2.3.4");
    row("one parameter", {"1.2.3.4"}, true, false, false, false, "1.2.3.4");
    row("two parameters", {"1.2.3.4", "583041"}, true, true, false, false, "1.2.3.4");
    row("three parameters", {"1.2.3.4", "583041", "/TXT"}, true, true, true, false, "1.2.3.4");
    row("five parameters", {"1.2.3.4", "583041", "/TXT", "o", "x"}, true, true, true, false,
        "1.2.3.4");
    row("everything wrong", {"a.b", "1", "TXT", "o", "x"}, false, false, false, false, "0.0.0.0");
}

void CommandLineTest::parameterCheck() {
    QFETCH(QStringList, parameters);
    QFETCH(bool, addressOk);
    QFETCH(bool, passwordOk);
    QFETCH(bool, switchOk);
    QFETCH(bool, countOk);
    QFETCH(QString, combined);

    const app::ParameterCheck check =
        app::checkParameters(app::CommandLineParameters::from(parameters));
    QCOMPARE(check.addressOk, addressOk);
    QCOMPARE(check.passwordOk, passwordOk);
    QCOMPARE(check.switchOk, switchOk);
    QCOMPARE(check.countOk, countOk);
    QCOMPARE(check.passed(), addressOk && passwordOk && switchOk && countOk);
    QCOMPARE(app::runDescriptionText(check.address, QString()),
             QStringLiteral("Extract data from ") + combined + QStringLiteral(" to "));
}

void CommandLineTest::wrongParametersRun_data() {
    QTest::addColumn<QStringList>("parameters");
    QTest::newRow("leading zeros") << QStringList{"192.168.001.099", "583041", "/TXT", "o.txt"};
    QTest::newRow("three parameters") << QStringList{"127.0.0.1", "583041", "/TXT"};
    QTest::newRow("five parameters")
        << QStringList{"127.0.0.1", "583041", "/TXT", "o.txt", "extra"};
    QTest::newRow("lower-case switch") << QStringList{"127.0.0.1", "583041", "/xlsx", "o.xlsx"};
    QTest::newRow("one parameter") << QStringList{"-h"};
}

// A failed check tells on standard error, never waits, connects to nobody and
// logs two empty lines before the code 1 line.
void CommandLineTest::wrongParametersRun() {
    QFETCH(QStringList, parameters);
    QTemporaryDir dir;
    const auto tester = test::startSimulator(settingsFor(Scenario::Normal, twoRecordDatalogger()));
    QVERIFY(tester);

    const ManagerRun run = runManager(parameters, dir.path(), tester->port());
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.lines.isEmpty());
    QVERIFY(run.standardError.contains(
        "Error:      1 - Error: Wrong executable commandline parameters.\n\nExamples:\n"
        "192.168.1.99 583041 /TXT C:\\output_text_file.txt\n"
        "192.168.1.99 583041 /XLSX C:\\output_excel_file.xlsx\n"));
    QCOMPARE(readFile(dir.filePath("log.txt")), crlf({"", "", kWrongParametersLine}));
    QVERIFY(!QFile::exists(dir.filePath("preferences.pref")));
    QCOMPARE(tester->simulator().acceptedConnections(), 0);
}

void CommandLineTest::resultCodes_data() {
    QTest::addColumn<Scenario>("scenario");
    QTest::addColumn<bool>("listening");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("failureLine");
    QTest::addColumn<QByteArray>("logLine");

    const QByteArray comm = "     2 - Error: Communication failure";
    const QByteArray commLog = "     2 - Error: Communicatio failure.";
    const auto row = [](const char *name, Scenario s, bool listening, const char *format,
                        const char *output, int code, QByteArray line, QByteArray log) {
        QTest::newRow(name) << s << listening << QString::fromLatin1(format)
                            << QString::fromLatin1(output) << code << line << log;
    };
    row("0 text", Scenario::Normal, true, "/TXT", "out.txt", 0, {}, kOkLine);
    row("0 workbook", Scenario::Normal, true, "/XLSX", "out.xlsx", 0, {}, kOkLine);
    row("2 one byte short", Scenario::Short, true, "/TXT", "out.txt", 2, comm, commLog);
    row("2 one byte long", Scenario::Long, true, "/TXT", "out.txt", 2, comm, commLog);
    row("2 closed mid-transfer", Scenario::CloseMidTransfer, true, "/TXT", "out.txt", 2, comm,
        commLog);
    row("2 closed after login", Scenario::CloseAfterLogin, true, "/TXT", "out.txt", 2, comm,
        commLog);
    row("3 busy", Scenario::Busy, true, "/TXT", "out.txt", 3,
        "     3 - Error: BR NXA connected but now is busy...",
        "     3 - Error: BR NXA connected but now is busy... Try later.");
    row("4 wrong password", Scenario::WrongPassword, true, "/TXT", "out.txt", 4,
        "     4 - Error: Wrong Password", "     4 - Error: Wrong password.");
    row("5 garbage", Scenario::Garbage, true, "/TXT", "out.txt", 5,
        "     5 - Error: No BR NXA connected at 127.0.0.1",
        "     5 - Error: No BR NXA connected at specified IP.");
    row("5 four bytes NXAO", Scenario::Nxao, true, "/TXT", "out.txt", 5,
        "     5 - Error: No BR NXA connected at 127.0.0.1",
        "     5 - Error: No BR NXA connected at specified IP.");
    row("5 silent", Scenario::Silent, true, "/TXT", "out.txt", 5,
        "     5 - Error: No BR NXA connected at 127.0.0.1",
        "     5 - Error: No BR NXA connected at specified IP.");
    row("6 nobody listening", Scenario::Normal, false, "/TXT", "out.txt", 6,
        "     6 - Error: Can't connect to 127.0.0.1",
        "     6 - Error: Can't connect to specified IP.");
    row("8 text in a missing folder", Scenario::Normal, true, "/TXT", "missing/out.txt", 8,
        "     8 - Error: Can't create file missing/out.txt", "     8 - Error: Can't create file.");
    row("8 workbook in a missing folder", Scenario::Normal, true, "/XLSX", "missing/out.xlsx", 8,
        "     8 - Error: Can't create file missing/out.xlsx", "     8 - Error: Can't create file.");
}

void CommandLineTest::resultCodes() {
    QFETCH(Scenario, scenario);
    QFETCH(bool, listening);
    QFETCH(QString, format);
    QFETCH(QString, output);
    QFETCH(int, code);
    QFETCH(QByteArray, failureLine);
    QFETCH(QByteArray, logLine);

    QTemporaryDir dir;
    const auto tester = test::startSimulator(settingsFor(scenario, twoRecordDatalogger()));
    QVERIFY(tester);
    const quint16 port = listening ? tester->port() : closedPort();

    const ManagerRun run = runManager({"127.0.0.1", kPassword, format, output}, dir.path(), port);
    QCOMPARE(run.exitCode, code);
    QVERIFY2(run.lines.size() >= 3, run.standardError.constData());
    QVERIFY(isStamp(run.lines.at(0)));
    QCOMPARE(run.lines.at(1), "Extract data from 127.0.0.1 to " + output.toUtf8());

    QList<QByteArray> expectedTail;
    if (code == 0 || code == 8) {
        expectedTail << "Downloaded successfully 2 new records";
        expectedTail << (code == 0 ? "Saved " + output.toUtf8() : failureLine);
        QCOMPARE(run.lines.size(), 5);
        QVERIFY(isStamp(run.lines.at(4)));
        QCOMPARE(run.lines.mid(2, 2), expectedTail);
    } else {
        QCOMPARE(run.lines.mid(2), QList<QByteArray>{failureLine});
    }
    QCOMPARE(readFile(dir.filePath("log.txt")), crlf({run.lines.at(0), run.lines.at(1), logLine}));
    QCOMPARE(QFile::exists(dir.filePath(output)), code == 0);
}

// A scheduler that stops the run while the datalogger is arriving gets the
// aborted record rather than a process that vanished without one.
void CommandLineTest::abortBySignalIsCodeSeven() {
    QTemporaryDir dir;
    sim::SimulatorSettings settings = settingsFor(Scenario::Drip, twoRecordDatalogger());
    settings.dripBytes = 1000;
    settings.dripIntervalMs = 50;
    const auto tester = test::startSimulator(settings);
    QVERIFY(tester);
    sim::TesterSimulator &simulator = tester->simulator();

    const ManagerRun run =
        runManager({"127.0.0.1", kPassword, "/TXT", "out.txt"}, dir.path(), tester->port(),
                   [&simulator](QProcess &process) {
                       QTRY_VERIFY_WITH_TIMEOUT(simulator.receivedRequests().size() >= 2, 20000);
                       QTest::qWait(200);
                       process.terminate();
                   });
    QCOMPARE(run.exitCode, 7);
    QCOMPARE(run.lines.mid(2), QList<QByteArray>{"     7 - Error: Operation aborted by user."});
    QCOMPARE(
        readFile(dir.filePath("log.txt")),
        crlf({run.lines.at(0), run.lines.at(1), "     7 - Error: Operation aborted by user."}));
    QVERIFY(!QFile::exists(dir.filePath("out.txt")));
}

void CommandLineTest::closeAroundThePress_data() {
    QTest::addColumn<bool>("swallowPress");
    QTest::addColumn<bool>("connected");
    // The press still runs the connect sequence; the request aborts its first wait.
    QTest::newRow("close handled with the press") << false << true;
    QTest::newRow("close before the press") << true << false;
}

// A close request that meets the press, or comes before it, ends the run as
// aborted: never "OK" without a file.
void CommandLineTest::closeAroundThePress() {
    QFETCH(bool, swallowPress);
    QFETCH(bool, connected);

    QTemporaryDir dir;
    const auto tester = test::startSimulator(settingsFor(Scenario::Normal, twoRecordDatalogger()));
    QVERIFY(tester);
    const QString previousDirectory = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    const link::LinkTimings previousTimings = app::operationSettings().timings;
    app::operationSettings().timings = test::loopbackTimings();

    QStringList lines;
    QStringList notices;
    app::CommandLineOutput output;
    output.headless = true;
    output.line = [&lines](const QString &line) { lines << line; };
    output.notice = [&notices](const Notice &notice) { notices << notice.text; };
    app::Session session;
    session.parameters = {"127.0.0.1", kPassword, "/TXT", "out.txt"};
    int code = -1;
    bool fired = false;
    {
        const KeptTerminationSignals kept;
        const CloseAtPress closer(swallowPress);
        code = app::runCommandLine(session, output);
        fired = closer.fired();
    }
    app::operationSettings().timings = previousTimings;
    QVERIFY(QDir::setCurrent(previousDirectory));

    QVERIFY(fired);
    QCOMPARE(code, 7);
    QCOMPARE(session.resultCode, ResultCode::Aborted);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(1), QStringLiteral("Extract data from 127.0.0.1 to out.txt"));
    QCOMPARE(lines.at(2), QStringLiteral("     7 - Error: Operation aborted by user."));
    QVERIFY2(notices.isEmpty(), qPrintable(notices.join('\n')));
    QCOMPARE(readFile(dir.filePath("log.txt")),
             crlf({lines.at(0).toUtf8(), lines.at(1).toUtf8(),
                   "     7 - Error: Operation aborted by user."}));
    QVERIFY(!QFile::exists(dir.filePath("out.txt")));
    QCOMPARE(QFile::exists(dir.filePath("preferences.pref")), connected);
}

void CommandLineTest::staleDisplay_data() {
    QTest::addColumn<QString>("variable");
    QTest::addColumn<QString>("value");
    QTest::newRow("X display") << "DISPLAY"
                               << ":97";
    QTest::newRow("Wayland display") << "WAYLAND_DISPLAY"
                                     << "wayland-97";
    // Accepts the connection and never answers it.
    QTest::newRow("X display that is silent") << "DISPLAY" << QString();
}

// Under cron or after a dead remote session a display variable can name a
// display that is gone: the run still downloads and leaves its record.
void CommandLineTest::staleDisplay() {
    QFETCH(QString, variable);
    QFETCH(QString, value);
    if (value == QLatin1String(":97") && QFile::exists(QStringLiteral("/tmp/.X11-unix/X97")))
        QSKIP("display :97 exists on this machine");
    QTcpServer silent;
    for (int display = 90; value.isEmpty() && display < 200; ++display)
        if (silent.listen(QHostAddress::LocalHost, static_cast<quint16>(6000 + display)))
            value = QStringLiteral("127.0.0.1:%1").arg(display);
    QVERIFY(!value.isEmpty());

    QTemporaryDir dir;
    const auto tester = test::startSimulator(settingsFor(Scenario::Normal, twoRecordDatalogger()));
    QVERIFY(tester);
    const auto staleEnvironment = [&](QProcess &process) {
        QProcessEnvironment environment = process.processEnvironment();
        environment.insert(variable, value);
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
        process.setProcessEnvironment(environment);
    };
    const ManagerRun run = runManager({"127.0.0.1", kPassword, "/TXT", "out.txt"}, dir.path(),
                                      tester->port(), {}, staleEnvironment);
    QVERIFY2(run.exitCode == 0, run.standardError.constData());
    QCOMPARE(run.lines.size(), 5);
    QVERIFY(isStamp(run.lines.at(0)));
    QCOMPARE(run.lines.mid(1, 3),
             (QList<QByteArray>{"Extract data from 127.0.0.1 to out.txt",
                                "Downloaded successfully 2 new records", "Saved out.txt"}));
    QVERIFY(isStamp(run.lines.at(4)));
    QCOMPARE(readFile(dir.filePath("log.txt")), crlf({run.lines.at(0), run.lines.at(1), kOkLine}));
    QCOMPARE(readFile(dir.filePath("out.txt")).size(), 3 * 120);
}

void CommandLineTest::unreadStandardOutput_data() {
    QTest::addColumn<bool>("listening");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("logLine");
    QTest::newRow("download") << true << 0 << kOkLine;
    QTest::newRow("nobody listening")
        << false << 6 << QByteArray("     6 - Error: Can't connect to specified IP.");
}

// `nxa-manager ... | true`: the reader of standard output has gone before
// the first line. The run goes on to its file, record and exit code.
void CommandLineTest::unreadStandardOutput() {
    QFETCH(bool, listening);
    QFETCH(int, code);
    QFETCH(QByteArray, logLine);

    QTemporaryDir dir;
    const auto tester = test::startSimulator(settingsFor(Scenario::Normal, twoRecordDatalogger()));
    QVERIFY(tester);
    int ends[2] = {-1, -1};
    QVERIFY(::pipe(ends) == 0);
    ::close(ends[0]);
    const int writeEnd = ends[1];
    const auto closedPipe = [writeEnd](QProcess &process) {
        process.setChildProcessModifier([writeEnd] {
            ::dup2(writeEnd, STDOUT_FILENO);
            ::close(writeEnd);
        });
    };
    const ManagerRun run = runManager({"127.0.0.1", kPassword, "/TXT", "out.txt"}, dir.path(),
                                      listening ? tester->port() : closedPort(), {}, closedPipe);
    ::close(writeEnd);

    QVERIFY2(run.exitCode == code, run.standardError.constData());
    QVERIFY(run.lines.isEmpty());
    const QList<QByteArray> record = readFile(dir.filePath("log.txt")).split('\n');
    QCOMPARE(record.size(), 4);
    QVERIFY(isStamp(record.at(0).chopped(1)));
    QCOMPARE(record.at(1), "Extract data from 127.0.0.1 to out.txt\r");
    QCOMPARE(record.at(2), logLine + '\r');
    QCOMPARE(QFile::exists(dir.filePath("out.txt")), code == 0);
    if (code == 0)
        QCOMPARE(readFile(dir.filePath("out.txt")).size(), 3 * 120);
}

void CommandLineTest::requestBytes() {
    QTemporaryDir dir;
    const auto tester = test::startSimulator(settingsFor(Scenario::Normal, twoRecordDatalogger()));
    QVERIFY(tester);
    const ManagerRun run =
        runManager({"127.0.0.1", kPassword, "/TXT", "out.txt"}, dir.path(), tester->port());
    QCOMPARE(run.exitCode, 0);
    const QByteArray spaces(54, ' ');
    QCOMPARE(tester->simulator().receivedRequests(),
             (QList<QByteArray>{"NXAC583041" + spaces, "NXAD583041" + spaces}));
}

// First record without a separator, every later one after exactly one empty
// line, failures and parameter errors alike.
void CommandLineTest::logRecordsAccumulate() {
    QTemporaryDir dir;
    const auto tester = test::startSimulator(settingsFor(Scenario::Normal, twoRecordDatalogger()));
    QVERIFY(tester);
    const quint16 nobody = closedPort();

    const ManagerRun first =
        runManager({"127.0.0.1", kPassword, "/TXT", "a.txt"}, dir.path(), tester->port());
    const ManagerRun second = runManager({"127.0.0.1", kPassword}, dir.path(), tester->port());
    const ManagerRun third = runManager({"127.0.0.1", kPassword, "/XLSX", "b"}, dir.path(), nobody);
    const ManagerRun fourth =
        runManager({"127.0.0.1", kPassword, "/XLSX", "c.xlsx"}, dir.path(), tester->port());
    QCOMPARE(first.exitCode, 0);
    QCOMPARE(second.exitCode, 1);
    QCOMPARE(third.exitCode, 6);
    QCOMPARE(fourth.exitCode, 0);
    QCOMPARE(third.lines.value(1), "Extract data from 127.0.0.1 to b");

    const QByteArray expected =
        crlf({first.lines.at(0), "Extract data from 127.0.0.1 to a.txt", kOkLine, "", "", "",
              kWrongParametersLine, "", third.lines.at(0), "Extract data from 127.0.0.1 to b",
              "     6 - Error: Can't connect to specified IP.", "", fourth.lines.at(0),
              "Extract data from 127.0.0.1 to c.xlsx", kOkLine});
    QCOMPARE(readFile(dir.filePath("log.txt")), expected);
    QVERIFY(QFile::exists(dir.filePath("c.xlsx")));
    QVERIFY(QFile::exists(dir.filePath("b.xlsx")) == false);
}

void CommandLineTest::preferencesWrittenBeforeConnecting() {
    QTemporaryDir dir;
    QFile old(dir.filePath("preferences.pref"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("[Other]\r\nkey = value\r\n[TCP/IP Settings]\r\nIP Address = 10.0.0.1\r\n");
    old.close();

    const ManagerRun run =
        runManager({"127.0.0.1", kPassword, "/TXT", "out.txt"}, dir.path(), closedPort());
    QCOMPARE(run.exitCode, 6);
    QCOMPARE(readFile(dir.filePath("preferences.pref")),
             QByteArray("\xEF\xBB\xBF\r\n[TCP/IP Settings]\r\nIP Address = 127.0.0.1\r\n"));
}

// Neither file can be created (a folder stands in their place): the run goes
// on, reports nothing about them, and still exits with its result code.
void CommandLineTest::unwritableLogAndPreferences() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("log.txt"));
    QVERIFY(QDir(dir.path()).mkdir("preferences.pref"));
    const auto tester = test::startSimulator(settingsFor(Scenario::Normal, twoRecordDatalogger()));
    QVERIFY(tester);

    const ManagerRun ok =
        runManager({"127.0.0.1", kPassword, "/TXT", "out.txt"}, dir.path(), tester->port());
    QCOMPARE(ok.exitCode, 0);
    QCOMPARE(ok.lines.value(3), "Saved out.txt");
    const ManagerRun refused =
        runManager({"127.0.0.1", kPassword, "/TXT", "out.txt"}, dir.path(), closedPort());
    QCOMPARE(refused.exitCode, 6);
    const ManagerRun wrong = runManager({"127.0.0.1"}, dir.path(), closedPort());
    QCOMPARE(wrong.exitCode, 1);
    QVERIFY(QFileInfo(dir.filePath("log.txt")).isDir());
}

void CommandLineTest::textOutput() {
    QTemporaryDir dir;
    const auto tester = test::startSimulator(settingsFor(Scenario::Normal, twoRecordDatalogger()));
    QVERIFY(tester);
    const ManagerRun run =
        runManager({"127.0.0.1", kPassword, "/TXT", "out.txt"}, dir.path(), tester->port());
    QCOMPARE(run.exitCode, 0);
    // Nothing but the documented lines, so cron mails nothing.
    QCOMPARE(run.standardError, QByteArray());
    // The newest record stands first; every line is 118 characters.
    const QByteArray header = " PN   ID Visitor                 Name       WS   Shoe_L   Shoe_R "
                              "Shoe_L+R  Pass Relay  Recognition       Date     Time";
    const QByteArray visitor = "  1"
                               "    7"
                               "       Y"
                               "       Visitor (Gate)"
                               "         "
                               "         "
                               "         "
                               "     1200"
                               "     N"
                               "     N"
                               "     Keyboard"
                               " 2021-01-02"
                               " 03:04:06";
    const QByteArray example = test::workedRecordLine();
    QCOMPARE(header.size(), 118);
    QCOMPARE(visitor.size(), 118);
    QCOMPARE(example.size(), 118);
    QCOMPARE(readFile(dir.filePath("out.txt")), crlf({header, visitor, example}));
}

void CommandLineTest::workbookOutput() {
    QTemporaryDir dir;
    const auto tester = test::startSimulator(settingsFor(Scenario::Normal, twoRecordDatalogger()));
    QVERIFY(tester);
    // The switch decides the format; ".XLSX" in any case becomes ".xlsx".
    const ManagerRun run =
        runManager({"127.0.0.1", kPassword, "/XLSX", "out.XLSX"}, dir.path(), tester->port());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.lines.value(3), "Saved out.xlsx");
    QVERIFY(QFile::exists(dir.filePath("out.xlsx")));
    QVERIFY(!QFile::exists(dir.filePath("out.temp")));

    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import openpyxl,sys\n"
                                 "ws=openpyxl.load_workbook(sys.argv[1]).active\n"
                                 "print(ws.dimensions)\n"
                                 "for row in ws.iter_rows(values_only=True):\n"
                                 "    print('|'.join(repr(v) for v in row))\n"),
                  dir.filePath("out.xlsx")});
    QVERIFY(python.waitForFinished(30000));
    if (python.exitCode() != 0)
        QSKIP("python3-openpyxl is not available");
    const QList<QByteArray> rows = python.readAllStandardOutput().trimmed().split('\n');
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows.at(0), "A1:M3");
    QCOMPARE(rows.at(1), "' PN'|'   ID'|' Visitor'|'                 Name'|'       WS'|'   Shoe_L'|"
                         "'   Shoe_R'|' Shoe_L+R'|'  Pass'|' Relay'|'  Recognition'|'       Date'|"
                         "'     Time'");
    QCOMPARE(rows.at(3), "'  1'|'    5'|'       N'|'                Desk5'|'      250'|"
                         "'      300'|'      301'|'         '|'     Y'|'     Y'|'  Fingerprint'|"
                         "' 2020-05-11'|' 14:30:20'");
}

void CommandLineTest::fullDatalogger_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("output");
    QTest::newRow("text") << "/TXT"
                          << "full.txt";
    QTest::newRow("workbook") << "/XLSX"
                              << "full.xlsx";
}

void CommandLineTest::fullDatalogger() {
    QFETCH(QString, format);
    QFETCH(QString, output);
    QTemporaryDir dir;
    const QByteArray image = records::sampleDatalogger(10000, 7).transferImage();
    const auto tester = test::startSimulator(settingsFor(Scenario::Normal, image));
    QVERIFY(tester);
    const ManagerRun run =
        runManager({"127.0.0.1", kPassword, format, output}, dir.path(), tester->port());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.lines.value(2), "Downloaded successfully 10000 new records");
    const QByteArray written = readFile(dir.filePath(output));
    if (format == QLatin1String("/TXT")) {
        QCOMPARE(written.size(), 10001 * 120);
        QCOMPARE(written.count("\r\n"), 10001);
    } else {
        QVERIFY(written.startsWith("PK"));
    }
}

void CommandLineTest::emptyDatalogger() {
    QTemporaryDir dir;
    records::DataloggerImageBuilder empty;
    const auto tester = test::startSimulator(settingsFor(Scenario::Normal, empty.transferImage()));
    QVERIFY(tester);
    const ManagerRun run =
        runManager({"127.0.0.1", kPassword, "/TXT", "out.txt"}, dir.path(), tester->port());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.lines.value(2),
             "No records downloaded: the datalogger of the Brontel NXA is empty");
    QCOMPARE(run.lines.value(3), "Saved out.txt");
    QCOMPARE(readFile(dir.filePath("out.txt")).size(), 120);
}

void CommandLineTest::unmarkedDatalogger_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("output");
    QTest::newRow("text") << "/TXT"
                          << "out.txt";
    QTest::newRow("workbook") << "/XLSX"
                              << "out.xlsx";
}

// What arrived is no datalogger: a communication failure, no export, and the
// file of an earlier run stays as it was.
void CommandLineTest::unmarkedDatalogger() {
    QFETCH(QString, format);
    QFETCH(QString, output);
    QTemporaryDir dir;
    QVERIFY(test::writeFile(dir.filePath(output), "earlier run"));
    const auto tester =
        test::startSimulator(settingsFor(Scenario::Unmarked, twoRecordDatalogger()));
    QVERIFY(tester);
    const ManagerRun run =
        runManager({"127.0.0.1", kPassword, format, output}, dir.path(), tester->port());
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.lines.mid(2), QList<QByteArray>{"     2 - Error: Wrong data format"});
    QVERIFY(run.standardError.contains("Error: Wrong data format\n"));
    QCOMPARE(loggedResult(dir.path()), "     2 - Error: Communicatio failure.");
    QCOMPARE(readFile(dir.filePath(output)), "earlier run");
}

void CommandLineTest::passwordNeverWritten() {
    const QString password = QStringLiteral("Qz7#wK");
    for (const Scenario scenario : {Scenario::Normal, Scenario::WrongPassword}) {
        QTemporaryDir dir;
        sim::SimulatorSettings settings = settingsFor(scenario, twoRecordDatalogger());
        settings.password = password;
        const auto tester = test::startSimulator(settings);
        QVERIFY(tester);
        const ManagerRun text =
            runManager({"127.0.0.1", password, "/TXT", "out.txt"}, dir.path(), tester->port());
        const ManagerRun book =
            runManager({"127.0.0.1", password, "/XLSX", "out.xlsx"}, dir.path(), tester->port());
        QCOMPARE(text.exitCode, scenario == Scenario::Normal ? 0 : 4);
        QCOMPARE(book.exitCode, text.exitCode);
        // The tester got it, so the search below looks for the right bytes.
        QVERIFY(tester->simulator().receivedRequests().value(0).contains(password.toUtf8()));

        for (const ManagerRun &run : {text, book}) {
            QVERIFY(!run.lines.join('\n').contains(password.toUtf8()));
            QVERIFY(!run.standardError.contains(password.toUtf8()));
        }
        const QStringList files = QDir(dir.path()).entryList(QDir::Files);
        QVERIFY(files.contains("log.txt"));
        for (const QString &name : files)
            QVERIFY2(!readFile(dir.filePath(name)).contains(password.toUtf8()), qPrintable(name));
    }
}

// Anyone on the machine may read a running process's command line.
void CommandLineTest::passwordHiddenWhileRunning() {
    const QByteArray password = "Qz7#wK";
    QTemporaryDir dir;
    sim::SimulatorSettings settings = settingsFor(Scenario::Drip, twoRecordDatalogger());
    settings.password = QString::fromLatin1(password);
    settings.dripBytes = 1000;
    settings.dripIntervalMs = 50;
    const auto tester = test::startSimulator(settings);
    QVERIFY(tester);
    sim::TesterSimulator &simulator = tester->simulator();

    QByteArray commandLine;
    const ManagerRun run =
        runManager({"127.0.0.1", QString::fromLatin1(password), "/TXT", "out.txt"}, dir.path(),
                   tester->port(), [&](QProcess &process) {
                       QTRY_VERIFY_WITH_TIMEOUT(simulator.receivedRequests().size() >= 2, 20000);
                       commandLine =
                           readFile(QStringLiteral("/proc/%1/cmdline").arg(process.processId()));
                       process.terminate();
                   });
    QVERIFY(simulator.receivedRequests().value(0).contains(password));
    // Still downloading when the command line was read.
    QCOMPARE(run.exitCode, 7);
    QCOMPARE(commandLine.split('\0').mid(1, 4),
             (QList<QByteArray>{"127.0.0.1", "******", "/TXT", "out.txt"}));
}

// Twenty runs write the same workbook at once: each has a temporary file of
// its own, and the workbook left behind is a whole one.
void CommandLineTest::concurrentWorkbookRuns() {
    constexpr int kRuns = 20;
    constexpr int kRecords = 2000;
    QTemporaryDir dir;
    const auto tester = test::startSimulator(
        settingsFor(Scenario::Normal, records::sampleDatalogger(kRecords, 3).transferImage()));
    QVERIFY(tester);
    std::vector<std::unique_ptr<QProcess>> runs;
    for (int i = 0; i < kRuns; ++i) {
        runs.push_back(std::make_unique<QProcess>());
        prepareManager(*runs.back(), {"127.0.0.1", kPassword, "/XLSX", "same.xlsx"}, dir.path(),
                       tester->port());
        runs.back()->start();
    }
    for (const auto &run : runs) {
        QVERIFY(run->waitForFinished(300000));
        QCOMPARE(run->exitCode(), 0);
    }
    // Twenty whole records, each after exactly one empty line but the first.
    const QByteArray log = readFile(dir.filePath("log.txt"));
    QCOMPARE(log.count(kOkLine), kRuns);
    QCOMPARE(log.count("\r\n\r\n"), kRuns - 1);
    QVERIFY(!log.startsWith("\r\n"));
    QVERIFY(!log.contains("\r\n\r\n\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"log.txt", "preferences.pref", "same.xlsx"}));
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import openpyxl,sys\n"
                                 "print(openpyxl.load_workbook(sys.argv[1]).active.max_row)\n"),
                  dir.filePath("same.xlsx")});
    QVERIFY(python.waitForFinished(60000));
    QCOMPARE(python.readAllStandardOutput().trimmed(), QByteArray::number(kRecords + 1));
}

void CommandLineTest::toolkitOptionsAreParameters_data() {
    QTest::addColumn<QStringList>("parameters");
    QTest::addColumn<int>("code");
    QTest::newRow("-platform as the switch")
        << QStringList{"127.0.0.1", kPassword, "-platform", "x.txt"} << 1;
    QTest::newRow("-platform as the path")
        << QStringList{"127.0.0.1", kPassword, "/TXT", "-platform"} << 0;
}

// The four parameters are the program's own: none is read as an option of the
// toolkit.
void CommandLineTest::toolkitOptionsAreParameters() {
    QFETCH(QStringList, parameters);
    QFETCH(int, code);
    QTemporaryDir dir;
    const auto tester = test::startSimulator(settingsFor(Scenario::Normal, twoRecordDatalogger()));
    QVERIFY(tester);
    const ManagerRun run = runManager(parameters, dir.path(), tester->port());
    QCOMPARE(run.exitCode, code);
    QCOMPARE(loggedResult(dir.path()), code == 0 ? kOkLine : kWrongParametersLine);
    QCOMPARE(QFile::exists(dir.filePath(parameters.last())), code == 0);
}

// A termination signal during the connect attempt ends the run at once as
// aborted, not when the attempt times out.
void CommandLineTest::signalDuringConnect() {
    QTemporaryDir dir;
    const auto tester =
        test::startSimulator(settingsFor(Scenario::ConnectHangs, twoRecordDatalogger()));
    QVERIFY(tester);
    QElapsedTimer sent;
    const ManagerRun run = runManager(
        {"127.0.0.1", kPassword, "/TXT", "out.txt"}, dir.path(), tester->port(),
        [&dir, &sent](QProcess &process) {
            // Preferences are written right before the connect starts.
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.filePath("preferences.pref")), 20000);
            QTest::qWait(300);
            process.terminate();
            sent.start();
        });
    QCOMPARE(run.exitCode, 7);
    QCOMPARE(run.lines.mid(2), QList<QByteArray>{"     7 - Error: Operation aborted by user."});
    QCOMPARE(loggedResult(dir.path()), "     7 - Error: Operation aborted by user.");
}

// Once the record is written the result is final: a termination signal that
// arrives later cannot give another exit code.
void CommandLineTest::signalAfterTheRecord() {
    QTemporaryDir dir;
    const auto tester = test::startSimulator(settingsFor(Scenario::Normal, twoRecordDatalogger()));
    QVERIFY(tester);
    const QString log = dir.filePath("log.txt");
    const auto signalAtTheRecord = [&log](QProcess &process) {
        QElapsedTimer waited;
        waited.start();
        while (QFileInfo(log).size() == 0 && waited.elapsed() < 60000)
            ::usleep(200);
        // Twice: the first signal of a run is handled, the second is not.
        for (int i = 0; i < 2; ++i) {
            ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
            ::usleep(1000);
        }
    };
    // Under AddressSanitizer the leak check at exit keeps the process alive
    // a while after the record, so the signal is sure to find it.
    const auto leakCheck = [](QProcess &process) {
        QProcessEnvironment environment = process.processEnvironment();
        environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=1"));
        environment.insert(QStringLiteral("LSAN_OPTIONS"), QStringLiteral("exitcode=0"));
        process.setProcessEnvironment(environment);
    };
    const ManagerRun run = runManager({"127.0.0.1", kPassword, "/TXT", "out.txt"}, dir.path(),
                                      tester->port(), signalAtTheRecord, leakCheck);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(loggedResult(dir.path()), kOkLine);
}

void CommandLineTest::nonRegularFiles_data() {
    QTest::addColumn<QString>("fifo");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("code");
    QTest::newRow("log.txt") << "log.txt"
                             << "/TXT"
                             << "out.txt" << 0;
    QTest::newRow("preferences.pref") << "preferences.pref"
                                      << "/TXT"
                                      << "out.txt" << 0;
    QTest::newRow("text output") << "out.txt"
                                 << "/TXT"
                                 << "out.txt" << 8;
    QTest::newRow("workbook output") << "out.xlsx"
                                     << "/XLSX"
                                     << "out" << 8;
}

// A named pipe in place of a file the run writes is a file that cannot be
// opened: never waited on, never replaced.
void CommandLineTest::nonRegularFiles() {
    QFETCH(QString, fifo);
    QFETCH(QString, format);
    QFETCH(QString, output);
    QFETCH(int, code);
    QTemporaryDir dir;
    const QString path = fifoIn(dir.path(), qPrintable(fifo));
    QVERIFY(!path.isEmpty());
    const auto tester = test::startSimulator(settingsFor(Scenario::Normal, twoRecordDatalogger()));
    QVERIFY(tester);
    const ManagerRun run =
        runManager({"127.0.0.1", kPassword, format, output}, dir.path(), tester->port());
    QCOMPARE(run.exitCode, code);
    QVERIFY(!QFileInfo(path).isFile());
    if (fifo != QLatin1String("log.txt"))
        QCOMPARE(loggedResult(dir.path()),
                 code == 0 ? kOkLine : QByteArray("     8 - Error: Can't create file."));
}

void CommandLineTest::fullDiskKeepsEarlierFiles_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("listening");
    QTest::addColumn<int>("code");
    QTest::newRow("preferences") << "preferences.pref" << false << 6;
    QTest::newRow("text output") << "out.txt" << true << 8;
}

// A disk that fills up while a file is written leaves the earlier file as it
// was, and an export that did not complete is no success.
void CommandLineTest::fullDiskKeepsEarlierFiles() {
    QFETCH(QString, file);
    QFETCH(bool, listening);
    QFETCH(int, code);
    QTemporaryDir dir;
    const QByteArray earlier = "[TCP/IP Settings]\r\nIP Address = 10.0.0.1\r\n";
    QVERIFY(test::writeFile(dir.filePath(file), earlier));
    const auto tester = test::startSimulator(settingsFor(Scenario::Normal, twoRecordDatalogger()));
    QVERIFY(tester);
    const auto smallFiles = [](QProcess &process) {
        process.setChildProcessModifier([] {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit = {16, 16};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
    };
    const ManagerRun run = runManager({"127.0.0.1", kPassword, "/TXT", "out.txt"}, dir.path(),
                                      listening ? tester->port() : closedPort(), {}, smallFiles);
    QCOMPARE(run.exitCode, code);
    QCOMPARE(readFile(dir.filePath(file)), earlier);
}

void CommandLineTest::outputPathBytes_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("description");
    QTest::newRow("not UTF-8") << QByteArray("bad\xff\xfename.txt") << 8
                               << QByteArray("Extract data from 127.0.0.1 to bad\xef\xbf\xbd"
                                             "\xef\xbf\xbdname.txt");
    QTest::newRow("line feed") << QByteArray("two\nlines.txt") << 0
                               << QByteArray("Extract data from 127.0.0.1 to two\\nlines.txt");
}

// The path is used with its bytes as given or not at all, and never splits
// the record.
void CommandLineTest::outputPathBytes() {
    QFETCH(QByteArray, path);
    QFETCH(int, code);
    QFETCH(QByteArray, description);
    QTemporaryDir dir;
    const auto tester = test::startSimulator(settingsFor(Scenario::Normal, twoRecordDatalogger()));
    QVERIFY(tester);
    // Bytes that are no text reach the program only through a shell.
    QString octal;
    for (const char byte : path)
        octal += QStringLiteral("\\%1").arg(static_cast<uchar>(byte), 3, 8, QLatin1Char('0'));
    const auto throughShell = [&octal](QProcess &process) {
        process.setArguments(
            {QStringLiteral("-c"),
             QStringLiteral("exec \"$0\" 127.0.0.1 583041 /TXT \"$(printf '%1')\"").arg(octal),
             process.program()});
        process.setProgram(QStringLiteral("/bin/sh"));
    };
    const ManagerRun run = runManager({}, dir.path(), tester->port(), {}, throughShell);
    QCOMPARE(run.exitCode, code);
    const QList<QByteArray> record = readFile(dir.filePath("log.txt")).split('\n');
    QCOMPARE(record.size(), 4);
    QCOMPARE(record.at(1), description + '\r');
    const QString written = QFile::decodeName(path);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), code == 0 ? 3 : 2);
    QCOMPARE(QFile::exists(dir.filePath(written)), code == 0);
}

// What a run leaves in its folder besides log.txt and preferences.pref, every
// file at any depth.
QStringList filesLeftIn(const QString &directory) {
    QStringList files;
    QDirIterator it(directory, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = QDir(directory).relativeFilePath(it.next());
        if (path != QLatin1String("log.txt") && path != QLatin1String("preferences.pref"))
            files << path;
    }
    files.sort();
    return files;
}

// The code of the only record of log.txt; -1 when there is not exactly one.
int loggedCode(const QString &directory) {
    const QList<QByteArray> lines = readFile(directory + QStringLiteral("/log.txt")).split('\n');
    if (lines.size() != 4 || !lines.at(2).startsWith("     "))
        return -1;
    return lines.at(2).mid(5, 1).toInt();
}

void CommandLineTest::signalsAtRandomMoments_data() {
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("maxDelayMs");
    QTest::addColumn<bool>("twice");
    QTest::addColumn<bool>("ignoredAtStart");
    QTest::addColumn<int>("trials");
    // clang-format off
    QTest::newRow("SIGTERM while loading")          << int(SIGTERM) << "/TXT"  << 10   << false << false << 3;
    QTest::newRow("SIGTERM")                        << int(SIGTERM) << "/TXT"  << 350  << false << false << 6;
    QTest::newRow("SIGHUP")                         << int(SIGHUP)  << "/TXT"  << 350  << false << false << 6;
    QTest::newRow("SIGINT")                         << int(SIGINT)  << "/TXT"  << 350  << false << false << 6;
    QTest::newRow("SIGTERM twice, workbook")        << int(SIGTERM) << "/XLSX" << 1500 << true  << false << 6;
    QTest::newRow("SIGINT ignored by the parent")   << int(SIGINT)  << "/TXT"  << 350  << false << true  << 3;
    QTest::newRow("SIGKILL, workbook")              << int(SIGKILL) << "/XLSX" << 1500 << false << false << 6;
    // clang-format on
}

// A scheduler's signal may come at any moment, from the first milliseconds
// on, and a second one while the first is handled. Every run that is not
// killed outright ends with the code of its one log record, and no run
// leaves a temporary file behind. A signal the parent had ignored stays
// ignored. (scripts/signal-trials.py runs the same with hundreds of trials.)
void CommandLineTest::signalsAtRandomMoments() {
    QFETCH(int, signal);
    QFETCH(QString, format);
    QFETCH(int, maxDelayMs);
    QFETCH(bool, twice);
    QFETCH(bool, ignoredAtStart);
    QFETCH(int, trials);
    const bool workbook = format == QLatin1String("/XLSX");
    // Long enough to be signalled in every phase: the transfer drips for
    // about a second, and a workbook of 10,000 rows takes a while to write.
    sim::SimulatorSettings settings =
        settingsFor(Scenario::Drip, workbook ? records::sampleDatalogger(10000, 3).transferImage()
                                             : twoRecordDatalogger());
    settings.dripBytes = workbook ? 64000 : 8000;
    const auto tester = test::startSimulator(settings);
    QVERIFY(tester);
    const QString output = workbook ? QStringLiteral("out.xlsx") : QStringLiteral("out.txt");
    const auto dispositions = [ignoredAtStart](QProcess &process) {
        process.setChildProcessModifier([ignoredAtStart] {
            for (const int s : {SIGTERM, SIGINT, SIGHUP})
                ::signal(s, SIG_DFL);
            if (ignoredAtStart)
                ::signal(SIGINT, SIG_IGN);
        });
    };
    for (int trial = 0; trial < trials; ++trial) {
        QTemporaryDir dir;
        // A signal in the very first milliseconds, while the kernel is still
        // starting the launcher, takes the default action before any code of
        // ours runs; no program can help that (scripts/signal-trials.py
        // counts those too).
        constexpr int kExecMs = 10;
        const int delay =
            kExecMs +
            static_cast<int>(QRandomGenerator::global()->bounded(maxDelayMs - kExecMs + 1));
        const int secondDelay = static_cast<int>(QRandomGenerator::global()->bounded(100));
        const auto signalIt = [&](QProcess &process) {
            const auto pid = static_cast<pid_t>(process.processId());
            ::usleep(static_cast<useconds_t>(delay) * 1000);
            ::kill(pid, signal);
            if (twice) {
                ::usleep(static_cast<useconds_t>(secondDelay) * 1000);
                ::kill(pid, signal);
            }
        };
        const ManagerRun run = runManager({"127.0.0.1", kPassword, format, output}, dir.path(),
                                          tester->port(), signalIt, dispositions);
        const QByteArray trialText = QByteArray("delay ") + QByteArray::number(delay) + " ms";
        const QStringList left = filesLeftIn(dir.path());
        QVERIFY2(left.isEmpty() || left == QStringList{output},
                 qPrintable(trialText + ": " + left.join(' ')));
        if (signal == SIGKILL)
            continue;
        QVERIFY2(run.exitCode >= 0, trialText.constData());
        QVERIFY2(run.exitCode == loggedCode(dir.path()),
                 qPrintable(trialText + QStringLiteral(": exit %1").arg(run.exitCode)));
        if (ignoredAtStart)
            QVERIFY2(run.exitCode == 0, trialText.constData());
        else if (maxDelayMs == 10) // before the connect, even before main
            QVERIFY2(run.exitCode == 7, trialText.constData());
        else
            QVERIFY2(run.exitCode == 0 || run.exitCode == 7, trialText.constData());
        QCOMPARE(QFile::exists(dir.filePath(output)), run.exitCode == 0);
    }
}

// A tester that sends a byte now and then never lets the idle limit pass; the
// transfer's deadline ends the run as a failed transfer, with its record.
void CommandLineTest::tricklingTesterMeetsTheDeadline() {
    QTemporaryDir dir;
    sim::SimulatorSettings settings = settingsFor(Scenario::Drip, twoRecordDatalogger());
    settings.dripBytes = 1;
    settings.dripIntervalMs = 50;
    const auto tester = test::startSimulator(settings);
    QVERIFY(tester);
    const QString previousDirectory = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    const link::LinkTimings previousTimings = app::operationSettings().timings;
    app::operationSettings().timings = test::loopbackTimings();
    app::operationSettings().timings.transferDeadlineMs = 1500;

    QStringList lines;
    app::CommandLineOutput output;
    output.headless = true;
    output.line = [&lines](const QString &line) { lines << line; };
    app::Session session;
    session.parameters = {"127.0.0.1", kPassword, "/TXT", "out.txt"};
    int code = -1;
    {
        const KeptTerminationSignals kept;
        code = app::runCommandLine(session, output);
    }
    app::operationSettings().timings = previousTimings;
    QVERIFY(QDir::setCurrent(previousDirectory));

    QCOMPARE(code, 2);
    QCOMPARE(lines.mid(2), QStringList{"     2 - Error: Communication failure"});
    QCOMPARE(loggedResult(dir.path()), "     2 - Error: Communicatio failure.");
    QVERIFY(!QFile::exists(dir.filePath("out.txt")));
}

void CommandLineTest::fileSizeLimit_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("earlierLog");
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("code");
    // clang-format off
    QTest::newRow("text over the limit")       << "/TXT"  << "out.txt"  << 0    << 300  << 8;
    QTest::newRow("workbook over the limit")   << "/XLSX" << "out.xlsx" << 0    << 300  << 8;
    QTest::newRow("record over the limit")     << "/TXT"  << "out.txt"  << 1000 << 1040 << 0;
    // clang-format on
}

// Under a file size limit (`ulimit -f`) a write that passes it is short, not
// the end of the process: an export gives code 8, and a record that does not
// fit leaves log.txt exactly as it was, never a torn record.
void CommandLineTest::fileSizeLimit() {
    QFETCH(QString, format);
    QFETCH(QString, output);
    QFETCH(int, earlierLog);
    QFETCH(int, limit);
    QFETCH(int, code);
    QTemporaryDir dir;
    const QByteArray earlier =
        QByteArray(earlierLog > 0 ? earlierLog - 2 : 0, 'x') + (earlierLog > 0 ? "\r\n" : "");
    if (earlierLog > 0)
        QVERIFY(test::writeFile(dir.filePath("log.txt"), earlier));
    const auto tester = test::startSimulator(settingsFor(Scenario::Normal, twoRecordDatalogger()));
    QVERIFY(tester);
    const auto limited = [limit](QProcess &process) {
        process.setChildProcessModifier([limit] {
            ::signal(SIGXFSZ, SIG_DFL);
            const rlimit bound = {static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
            ::setrlimit(RLIMIT_FSIZE, &bound);
        });
    };
    const ManagerRun run = runManager({"127.0.0.1", kPassword, format, output}, dir.path(),
                                      tester->port(), {}, limited);
    QCOMPARE(run.exitCode, code);
    if (earlierLog > 0) {
        QCOMPARE(readFile(dir.filePath("log.txt")), earlier);
    } else {
        QCOMPARE(loggedCode(dir.path()), code);
        QCOMPARE(filesLeftIn(dir.path()), QStringList());
    }
}

void CommandLineTest::workbookPathRule_data() {
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("written");
    const QString longest = QString(250, QLatin1Char('n')) + QStringLiteral(".xlsx");
    // clang-format off
    QTest::newRow("folder named like a workbook") << "reports.xlsx.d/out.xlsx" << "reports.xlsx.d" << 0 << "reports.xlsx.d/out.xlsx";
    QTest::newRow("extension in capitals")        << "out.XLSX"                << ""               << 0 << "out.xlsx";
    QTest::newRow("extension twice")              << "out.xlsx.XLSX"           << ""               << 0 << "out.xlsx.xlsx";
    QTest::newRow("no extension")                 << "out"                     << ""               << 0 << "out.xlsx";
    QTest::newRow("name of 255 bytes")            << longest                   << ""               << 0 << longest;
    QTest::newRow("a folder, no name")            << "exist/"                  << "exist"          << 8 << "";
    QTest::newRow("empty")                        << ""                        << ""               << 8 << "";
    QTest::newRow("only the extension")           << ".xlsx"                   << ""               << 8 << "";
    QTest::newRow("a dot")                        << "."                       << ""               << 8 << "";
    QTest::newRow("two dots")                     << ".."                      << ""               << 8 << "";
    // clang-format on
}

// Only a final ".xlsx" of the file name is the extension; the folder part is
// never touched, a path that names no file is no workbook, and the run
// reports the file it wrote.
void CommandLineTest::workbookPathRule() {
    QFETCH(QString, given);
    QFETCH(QString, folder);
    QFETCH(int, code);
    QFETCH(QString, written);
    QTemporaryDir dir;
    if (!folder.isEmpty())
        QVERIFY(QDir(dir.path()).mkdir(folder));
    const auto tester = test::startSimulator(settingsFor(Scenario::Normal, twoRecordDatalogger()));
    QVERIFY(tester);
    const ManagerRun run =
        runManager({"127.0.0.1", kPassword, "/XLSX", given}, dir.path(), tester->port());
    QCOMPARE(run.exitCode, code);
    QCOMPARE(loggedCode(dir.path()), code);
    QVERIFY(run.lines.size() >= 4);
    QCOMPARE(QString::fromUtf8(run.lines.at(3)),
             code == 0 ? QStringLiteral("Saved ") + written
                       : QStringLiteral("     8 - Error: Can't create file ") + given);
    QCOMPARE(filesLeftIn(dir.path()), written.isEmpty() ? QStringList() : QStringList{written});
}

void CommandLineTest::closedStandardDescriptors_data() {
    QTest::addColumn<QList<int>>("closed");
    QTest::newRow("standard input") << QList<int>{STDIN_FILENO};
    QTest::newRow("standard output") << QList<int>{STDOUT_FILENO};
    QTest::newRow("standard error") << QList<int>{STDERR_FILENO};
    QTest::newRow("all three") << QList<int>{STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO};
}

// `nxa-manager ... >&-` silences cron: a run started with a standard
// descriptor closed downloads, saves and logs as any other.
void CommandLineTest::closedStandardDescriptors() {
    QFETCH(QList<int>, closed);
    QTemporaryDir dir;
    const auto tester = test::startSimulator(settingsFor(Scenario::Normal, twoRecordDatalogger()));
    QVERIFY(tester);
    const auto closing = [closed](QProcess &process) {
        process.setChildProcessModifier([closed] {
            for (const int fd : closed)
                ::close(fd);
        });
    };
    const ManagerRun run = runManager({"127.0.0.1", kPassword, "/TXT", "out.txt"}, dir.path(),
                                      tester->port(), {}, closing);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(loggedResult(dir.path()), kOkLine);
    QCOMPARE(readFile(dir.filePath("out.txt")).size(), 3 * 120);
}

void CommandLineTest::partlyAnsweringDisplay_data() {
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("answersOnce");
    QTest::addColumn<int>("code");
    // A refusal in full: status 0, a reason of 4 bytes, protocol 11.0, one
    // word of data.
    const QByteArray refusal("\x00\x04\x0b\x00\x00\x00\x01\x00nope", 12);
    // clang-format off
    QTest::newRow("one byte")                         << QByteArray(1, '\x01')                      << false << 0;
    QTest::newRow("eight bytes of a longer answer")   << QByteArray("\x01\x00\x0b\x00\x00\x00\x40\x00", 8) << false << 0;
    QTest::newRow("answers the check, then silent")   << refusal                                    << true  << 7;
    // clang-format on
}

// A display that answers only part of a connection setup is no display: the
// run goes on without one. One that answers the check and then hangs the
// toolkit's own connection still ends with a signal, code 7 and its record.
void CommandLineTest::partlyAnsweringDisplay() {
    QFETCH(QByteArray, answer);
    QFETCH(bool, answersOnce);
    QFETCH(int, code);
    const FakeXServer server(answer, answersOnce);
    QVERIFY(server.listening());
    QTemporaryDir dir;
    const auto tester = test::startSimulator(settingsFor(Scenario::Normal, twoRecordDatalogger()));
    QVERIFY(tester);
    const auto display = [&](QProcess &process) {
        QProcessEnvironment environment = process.processEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), server.display());
        process.setProcessEnvironment(environment);
    };
    const auto signalInToolkit = [&](QProcess &process) {
        if (code != 7)
            return;
        QTRY_VERIFY_WITH_TIMEOUT(server.connections() >= 2, 20000);
        QTest::qWait(300);
        process.terminate();
    };
    const ManagerRun run = runManager({"127.0.0.1", kPassword, "/TXT", "out.txt"}, dir.path(),
                                      tester->port(), signalInToolkit, display);
    QCOMPARE(run.exitCode, code);
    if (code == 0) {
        QCOMPARE(loggedResult(dir.path()), kOkLine);
        QCOMPARE(readFile(dir.filePath("out.txt")).size(), 3 * 120);
    } else {
        QCOMPARE(readFile(dir.filePath("log.txt")),
                 crlf({"", "", "     7 - Error: Operation aborted by user."}));
    }
}

void CommandLineTest::heldLogLock_data() {
    QTest::addColumn<bool>("signalled");
    QTest::newRow("lock given up while waiting") << false;
    QTest::newRow("signal while waiting") << true;
}

// Another process holds log.txt locked (`flock -x log.txt ...`): the run
// waits for its turn, and a signal ends the wait without a record.
void CommandLineTest::heldLogLock() {
    QFETCH(bool, signalled);
    QTemporaryDir dir;
    QFile held(dir.filePath("log.txt"));
    QVERIFY(held.open(QIODevice::WriteOnly));
    QVERIFY(::flock(held.handle(), LOCK_EX) == 0);
    const auto tester = test::startSimulator(settingsFor(Scenario::Normal, twoRecordDatalogger()));
    QVERIFY(tester);
    const auto atTheRecord = [&](QProcess &process) {
        // The last Event viewer line is the end stamp; the record comes next.
        QByteArray out;
        QElapsedTimer waited;
        waited.start();
        while (out.count('\n') < 5 && waited.elapsed() < 30000) {
            process.waitForReadyRead(100);
            out += process.readAllStandardOutput();
        }
        QTest::qWait(500);
        if (signalled)
            process.terminate();
        else
            held.close();
    };
    const ManagerRun run = runManager({"127.0.0.1", kPassword, "/TXT", "out.txt"}, dir.path(),
                                      tester->port(), atTheRecord);
    QCOMPARE(run.exitCode, 0);
    if (signalled) {
        QCOMPARE(readFile(dir.filePath("log.txt")), QByteArray());
        QVERIFY2(run.standardError.contains("log.txt"), run.standardError.constData());
    } else {
        QCOMPARE(loggedResult(dir.path()), kOkLine);
    }
}

void CommandLineTest::namedPlatform_data() {
    QTest::addColumn<QString>("platform");
    QTest::addColumn<bool>("unavailable");
    QTest::newRow("unknown platform") << "bogus" << true;
    QTest::newRow("xcb without a display") << "xcb" << true;
    QTest::newRow("offscreen") << "offscreen" << false;
    QTest::newRow("offscreen with an option") << "offscreen:fontconfig" << false;
}

// A toolkit platform that cannot start never ends the run: it goes on
// without a display and says so once. One that shows nothing is no loss.
void CommandLineTest::namedPlatform() {
    QFETCH(QString, platform);
    QFETCH(bool, unavailable);
    QTemporaryDir dir;
    const auto tester = test::startSimulator(settingsFor(Scenario::Normal, twoRecordDatalogger()));
    QVERIFY(tester);
    const auto chosen = [&platform](QProcess &process) {
        QProcessEnvironment environment = process.processEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        process.setProcessEnvironment(environment);
    };
    const ManagerRun run = runManager({"127.0.0.1", kPassword, "/TXT", "out.txt"}, dir.path(),
                                      tester->port(), {}, chosen);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(loggedResult(dir.path()), kOkLine);
    QCOMPARE(run.lines.size(), 5);
    QCOMPARE(run.standardError, unavailable
                                    ? "Warning: The platform " + platform.toUtf8() +
                                          " is not available: the run goes on without a display.\n"
                                    : QByteArray());
}

void CommandLineTest::otherSignals_data() {
    QTest::addColumn<int>("signal");
    // clang-format off
    QTest::newRow("SIGQUIT")   << int(SIGQUIT);
    QTest::newRow("SIGUSR1")   << int(SIGUSR1);
    QTest::newRow("SIGUSR2")   << int(SIGUSR2);
    QTest::newRow("SIGALRM")   << int(SIGALRM);
    QTest::newRow("SIGPWR")    << int(SIGPWR);
    QTest::newRow("SIGVTALRM") << int(SIGVTALRM);
    QTest::newRow("SIGPROF")   << int(SIGPROF);
    QTest::newRow("SIGSYS")    << int(SIGSYS);
    QTest::newRow("SIGTRAP")   << int(SIGTRAP);
    QTest::newRow("SIGSTKFLT") << int(SIGSTKFLT);
    QTest::newRow("SIGXCPU")   << int(SIGXCPU);
    QTest::newRow("SIGIO")     << int(SIGIO);
    QTest::newRow("SIGRTMIN")  << int(SIGRTMIN);
    QTest::newRow("SIGRTMAX")  << int(SIGRTMAX);
    // clang-format on
}

// Every signal that would end the process, but SIGKILL and the faults of the
// program itself, ends the run as SIGTERM does: code 7 and its record.
void CommandLineTest::otherSignals() {
    QFETCH(int, signal);
    QTemporaryDir dir;
    sim::SimulatorSettings settings = settingsFor(Scenario::Drip, twoRecordDatalogger());
    settings.dripBytes = 1000;
    settings.dripIntervalMs = 50;
    const auto tester = test::startSimulator(settings);
    QVERIFY(tester);
    sim::TesterSimulator &simulator = tester->simulator();
    // As a scheduler starts it: the signal at its default action.
    const auto defaults = [signal](QProcess &process) {
        process.setChildProcessModifier([signal] { ::signal(signal, SIG_DFL); });
    };
    const auto signalIt = [&simulator, signal](QProcess &process) {
        QTRY_VERIFY_WITH_TIMEOUT(simulator.receivedRequests().size() >= 2, 20000);
        QTest::qWait(200);
        ::kill(static_cast<pid_t>(process.processId()), signal);
    };
    const ManagerRun run = runManager({"127.0.0.1", kPassword, "/TXT", "out.txt"}, dir.path(),
                                      tester->port(), signalIt, defaults);
    QCOMPARE(run.exitCode, 7);
    QCOMPARE(loggedResult(dir.path()), "     7 - Error: Operation aborted by user.");
    QVERIFY(!QFile::exists(dir.filePath("out.txt")));
}

void CommandLineTest::workbookWithoutUnnamedFiles_data() {
    QTest::addColumn<QString>("output");
    QTest::newRow("short name") << "out.xlsx";
    QTest::newRow("name of 255 bytes") << QString(250, QLatin1Char('n')) + QStringLiteral(".xlsx");
}

// On a file system without unnamed files (vfat, CIFS, NFSv3) the workbook
// still takes a name of any length and leaves nothing else behind.
void CommandLineTest::workbookWithoutUnnamedFiles() {
    QFETCH(QString, output);
    QTemporaryDir dir;
    const auto tester = test::startSimulator(settingsFor(Scenario::Normal, twoRecordDatalogger()));
    QVERIFY(tester);
    const auto noUnnamedFiles = [](QProcess &process) {
        process.setChildProcessModifier(refuseUnnamedFiles);
    };
    const ManagerRun run = runManager({"127.0.0.1", kPassword, "/XLSX", output}, dir.path(),
                                      tester->port(), {}, noUnnamedFiles);
    QVERIFY2(run.exitCode == 0, run.standardError.constData());
    QCOMPARE(loggedResult(dir.path()), kOkLine);
    QCOMPARE(filesLeftIn(dir.path()), QStringList{output});
}

QTEST_MAIN(CommandLineTest)
#include "tst_commandline.moc"
