// nxa-collect serve against the sample plant: the plant's "yesterday" is
// made today, so the page of today holds its planted exceptions. Every
// request goes over a real socket as a browser or an attacker would send it.

#include "SimulatorThread.h"
#include "samples/PlantScenario.h"
#include "support/TestFiles.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

using namespace nxa;

namespace {

const QString kBinary = QStringLiteral(NXA_BINARY_DIR "/src/collect/nxa-collect");

struct Answer {
    int status = 0;
    QByteArray head;
    QByteArray body;
};

// Sends `request` as it stands and reads the answer until the server closes.
Answer exchange(QTcpSocket &socket, const QByteArray &request) {
    Answer answer;
    if (!socket.waitForConnected(5000))
        return answer;
    socket.write(request);
    QByteArray bytes;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(30000))
        bytes += socket.readAll();
    bytes += socket.readAll();
    const qsizetype end = bytes.indexOf("\r\n\r\n");
    answer.head = bytes.left(end);
    answer.body = bytes.mid(end + 4);
    answer.status = bytes.mid(9, 3).toInt();
    return answer;
}

QByteArray get(const QByteArray &target, const QByteArray &extra = {}) {
    return "GET " + target + " HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n" + extra +
           "\r\n";
}

class Served {
public:
    ~Served() { stop(); }
    // Starts serve and waits for the line that names its address.
    bool start(const QString &folder, const QStringList &arguments) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        m_process.setProcessEnvironment(environment);
        m_process.setWorkingDirectory(folder);
        m_process.start(kBinary, QStringList{QStringLiteral("serve")} + arguments);
        static const QRegularExpression url(QStringLiteral("on https?://[0-9.]+:(\\d+)/"));
        for (int i = 0; i < 600 && m_port == 0; ++i) {
            m_process.waitForReadyRead(100);
            m_output += m_process.readAllStandardOutput();
            if (const auto m = url.match(QString::fromUtf8(m_output)); m.hasMatch())
                m_port = quint16(m.captured(1).toUInt());
            if (m_process.state() == QProcess::NotRunning)
                break;
        }
        return m_port != 0;
    }
    void stop() {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(20000))
            m_process.kill();
        m_process.waitForFinished();
    }
    quint16 port() const { return m_port; }
    bool running() const { return m_process.state() == QProcess::Running; }

    Answer ask(const QByteArray &request) const {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_port);
        return exchange(socket, request);
    }

private:
    QProcess m_process;
    QByteArray m_output;
    quint16 m_port = 0;
};

int runCollect(const QString &folder, const QStringList &arguments, const QByteArray &input = {},
               QString *errors = nullptr) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.start(kBinary, arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000))
        process.kill();
    process.waitForFinished();
    if (errors)
        *errors = QString::fromUtf8(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
}

// The text of one section of the plant page, by its id.
QString section(const QByteArray &page, const QString &id) {
    const QString text = QString::fromUtf8(page);
    const qsizetype start = text.indexOf(QStringLiteral("<section id=\"%1\">").arg(id));
    return start < 0 ? QString()
                     : text.mid(start, text.indexOf(QLatin1String("</section>"), start) - start);
}

} // namespace

class ServeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_folder.isValid());
        const QString passwordFile = m_folder.filePath(QStringLiteral("tester.pw"));
        test::writeFile(passwordFile, "583041\n");
        QFile::setPermissions(passwordFile, QFile::ReadOwner | QFile::WriteOwner);
        QString ini = QStringLiteral("archive=nxa-archive.sqlite\n");
        quint16 port = 0;
        const QStringList names = samples::plantTesterNames();
        for (int i = 0; i < names.size(); ++i) {
            // The plant's "yesterday", with its exceptions, falls on today.
            const std::optional<samples::PlantTester> tester =
                samples::plantTester(names[i], QDate::currentDate().addDays(1), false);
            sim::SimulatorSettings settings;
            settings.dataloggerImage = tester->datalogger;
            settings.configurationImage = tester->configuration;
            m_simulators.push_back(std::make_unique<sim::SimulatorThread>(settings));
            const QString address = QStringLiteral("127.0.0.%1").arg(i + 2);
            QVERIFY(m_simulators.back()->start(QHostAddress(address), port));
            port = m_simulators.back()->port();
            ini += QStringLiteral("[%1]\naddress=%2\nport=%3\npassword-file=tester.pw\n")
                       .arg(names[i], address)
                       .arg(port);
        }
        // Every download ends with a signed checkpoint, for /verify.
        QCOMPARE(
            runCollect(m_folder.path(), {QStringLiteral("keygen"), QStringLiteral("sign.key")}), 0);
        ini.prepend(QStringLiteral("checkpoint-key=sign.key\n"));
        test::writeFile(m_folder.filePath(QStringLiteral("nxa-collect.ini")), ini.toUtf8());
        QCOMPARE(runCollect(m_folder.path(), {QStringLiteral("download")}), 0);
        m_simulators.clear();
        QVERIFY(m_served.start(m_folder.path(),
                               {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")}));
        m_plant = m_served.ask(get("/"));
        QCOMPARE(m_plant.status, 200);
    }

    // Who is cleared, failed or not tested today, and which tester is
    // silent, as the sample plant planted them.
    void plantPageShowsPlantedTruth_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("shown");
        // clang-format off
        QTest::newRow("Di Nopass failed twice")        << "failed"     << ">north:4<" << true;
        QTest::newRow("her name with it")              << "failed"     << "Di Nopass" << true;
        QTest::newRow("her link leads to her page")    << "failed"     << "href=\"/person/north%3A4\"" << true;
        QTest::newRow("Di Nopass is not cleared")      << "cleared"    << ">north:4<" << false;
        QTest::newRow("Ed Relay passed after the relay") << "cleared"  << ">north:5<" << true;
        QTest::newRow("Ed Relay has no open fail")     << "failed"     << ">north:5<" << false;
        QTest::newRow("south's retests passed")        << "cleared"    << ">south:3<" << true;
        QTest::newRow("Flo Absent did not come")       << "not-tested" << ">north:6<" << true;
        QTest::newRow("east's persons are not tested") << "not-tested" << ">east:1<"  << true;
        QTest::newRow("east is silent")                << "testers"    << "<tr class=\"bad\"><td><a href=\"/tester/east\"" << true;
        QTest::newRow("north reports")                 << "testers"    << "<tr class=\"bad\"><td><a href=\"/tester/north\"" << false;
        QTest::newRow("south reports")                 << "testers"    << "<tr class=\"bad\"><td><a href=\"/tester/south\"" << false;
        // clang-format on
    }
    void plantPageShowsPlantedTruth() {
        QFETCH(QString, section);
        QFETCH(QString, text);
        QFETCH(bool, shown);
        const QString part = ::section(m_plant.body, section);
        QVERIFY2(!part.isEmpty(), qPrintable(section));
        QCOMPARE(part.contains(text), shown);
    }

    // The morning check on the page is the one `check` prints, line for
    // line; and the page follows the archive: a calibration recorded since
    // shows on the tester's page.
    void pagesFollowTheCommands() {
        QString lines;
        QProcess check;
        check.setWorkingDirectory(m_folder.path());
        check.start(kBinary, {QStringLiteral("check")});
        QVERIFY(check.waitForFinished(120000));
        QCOMPARE(check.exitCode(), 4);
        int compared = 0;
        for (const QString &line : QString::fromUtf8(check.readAllStandardOutput()).split('\n')) {
            if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
                continue;
            QString shown = line.trimmed().toHtmlEscaped();
            shown.replace(QLatin1Char('\''), QLatin1String("&#39;"));
            QVERIFY2(::section(m_plant.body, QStringLiteral("check")).contains(shown),
                     qPrintable(line));
            ++compared;
        }
        QVERIFY(compared > 5);
        QVERIFY(!m_served.ask(get("/tester/north")).body.contains("C-7781"));
        QCOMPARE(runCollect(m_folder.path(),
                            {QStringLiteral("calibration"), QStringLiteral("north"),
                             QStringLiteral("--on"), QDate::currentDate().toString(Qt::ISODate),
                             QStringLiteral("--by"), QStringLiteral("R. Meter"),
                             QStringLiteral("--certificate"), QStringLiteral("C-7781")}),
                 0);
        QVERIFY(m_served.ask(get("/tester/north")).body.contains("C-7781"));
    }

    // Every page forbids scripts and outside requests and holds neither.
    void pagesAreSelfContained_data() {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<QByteArray>("holds");
        // clang-format off
        QTest::newRow("plant")        << QByteArray("/")                << QByteArray("Morning check");
        QTest::newRow("tester")       << QByteArray("/tester/north")    << QByteArray("fail rate per day");
        QTest::newRow("person")       << QByteArray("/person/north:1")  << QByteArray("<svg");
        QTest::newRow("search")       << QByteArray("/search?q=drift")  << QByteArray("Ben Drift");
        QTest::newRow("report")       << QByteArray("/report")          << QByteArray("Drift watch");
        QTest::newRow("verify")       << QByteArray("/verify")          << QByteArray("<b>Intact</b>");
        QTest::newRow("refresh")      << QByteArray("/?refresh=60")     << QByteArray("<meta http-equiv=\"refresh\" content=\"60\">");
        // clang-format on
    }
    void pagesAreSelfContained() {
        QFETCH(QByteArray, target);
        QFETCH(QByteArray, holds);
        const Answer answer = m_served.ask(get(target));
        QCOMPARE(answer.status, 200);
        QVERIFY(answer.head.contains("Content-Security-Policy: default-src 'none'; style-src "
                                     "'unsafe-inline'; img-src data:"));
        QVERIFY2(answer.body.contains(holds), answer.body.left(2000).constData());
        QVERIFY(!answer.body.contains("<script"));
        QVERIFY(!answer.body.contains("http://"));
        QVERIFY(!answer.body.contains("https://"));
    }

    void reportComesAsPdf() {
        const Answer answer = m_served.ask(get("/report?from=2026-01-01&to=2026-01-31&format=pdf"));
        QCOMPARE(answer.status, 200);
        QVERIFY(answer.head.contains("Content-Type: application/pdf"));
        QVERIFY(answer.body.startsWith("%PDF-"));
    }

    // Each is refused with a 4xx, and the server answers the next one.
    void badRequestsAreRefused_data() {
        QTest::addColumn<QByteArray>("request");
        const QByteArray longValue(300, 'a');
        // clang-format off
        QTest::newRow("unknown path")      << get("/etc/passwd");
        QTest::newRow("dot dot")           << get("/tester/../../etc/passwd");
        QTest::newRow("encoded dot dot")   << get("/tester/%2e%2e/%2e%2e/etc/passwd");
        QTest::newRow("encoded slash")     << get("/tester/north%2f..%2fx");
        QTest::newRow("backslash")         << get("/tester/..\\..\\x");
        QTest::newRow("not UTF-8")         << get("/search?q=%ff%fe");
        QTest::newRow("NUL")               << get("/search?q=a%00b");
        QTest::newRow("value too long")    << get("/search?q=" + longValue);
        QTest::newRow("SQL as a tester")   << get("/tester/x'%20OR%20'1'='1");
        QTest::newRow("SQL as a person")   << get("/person/1;DROP%20TABLE%20records");
        QTest::newRow("no such date")      << get("/report?from=2026-02-30");
        QTest::newRow("PDF of years")      << get("/report?from=2000-01-01&to=2026-01-01&format=pdf");
        QTest::newRow("refresh too fast")  << get("/?refresh=1");
        QTest::newRow("POST")              << QByteArray("POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 3\r\nConnection: close\r\n\r\nabc");
        QTest::newRow("headers of 64 KB")  << get("/", "X-Pad: " + QByteArray(64 * 1024, 'p') + "\r\n");
        QTest::newRow("headers of 17 KB")  << get("/", "X-Pad: " + QByteArray(17 * 1024, 'p') + "\r\n");
        QTest::newRow("no HTTP at all")    << QByteArray("\x16\x03\x01 hello\r\n\r\n");
        // clang-format on
    }
    void badRequestsAreRefused() {
        QFETCH(QByteArray, request);
        const Answer answer = m_served.ask(request);
        QVERIFY2(answer.status >= 400 && answer.status < 500, answer.head.constData());
        QCOMPARE(m_served.ask(get("/search?q=Drift")).status, 200);
    }

    // Two hundred connections that send nothing hold the server no longer
    // than its idle time-out.
    void idleConnectionsTimeOut() {
        std::vector<std::unique_ptr<QTcpSocket>> idle;
        for (int i = 0; i < 200; ++i) {
            idle.push_back(std::make_unique<QTcpSocket>());
            idle.back()->connectToHost(QHostAddress::LocalHost, m_served.port());
            idle.back()->write("GET / HTTP/1.1\r\n");
        }
        for (auto &socket : idle)
            socket->waitForConnected(1000);
        QElapsedTimer waited;
        waited.start();
        int status = 0;
        while (status != 200 && waited.elapsed() < 40000) {
            status = m_served.ask(get("/")).status;
            if (status != 200)
                QTest::qWait(500);
        }
        QCOMPARE(status, 200);
        QVERIFY(m_served.running());
    }

    // Off loopback only with TLS and users; with both, only the right password.
    void networkNeedsTlsAndUsers_data() {
        QTest::addColumn<QString>("extra");
        QTest::addColumn<QString>("listen");
        QTest::addColumn<QString>("says");
        // clang-format off
        QTest::newRow("any address, nothing")    << ""                                       << "0.0.0.0:0"   << "not a loopback address";
        QTest::newRow("any address, TLS only")   << "tls-cert=cert.pem\ntls-key=key.pem\n" << "0.0.0.0:0"   << "not a loopback address";
        QTest::newRow("any address, users only") << "web-users=users\n"                     << "0.0.0.0:0"   << "not a loopback address";
        QTest::newRow("users without TLS")       << "web-users=users\n"                     << "127.0.0.1:0" << "clear text";
        QTest::newRow("a certificate alone")     << "tls-cert=cert.pem\n"                   << "127.0.0.1:0" << "both tls-cert= and tls-key=";
        QTest::newRow("no port")                 << ""                                       << "localhost"   << "ADDRESS:PORT";
        // clang-format on
    }
    void networkNeedsTlsAndUsers() {
        QFETCH(QString, extra);
        QFETCH(QString, listen);
        QFETCH(QString, says);
        makeTls();
        const QString ini =
            QString::fromUtf8(test::readFile(m_folder.filePath(QStringLiteral("nxa-collect.ini"))));
        test::writeFile(m_folder.filePath(QStringLiteral("other.ini")), (extra + ini).toUtf8());
        QString errors;
        QCOMPARE(runCollect(m_folder.path(),
                            {QStringLiteral("--config"), QStringLiteral("other.ini"),
                             QStringLiteral("serve"), QStringLiteral("--listen"), listen},
                            {}, &errors),
                 2);
        QVERIFY2(errors.contains(says), qPrintable(errors));
    }

    void passwordsAreChecked_data() {
        QTest::addColumn<QByteArray>("credentials");
        QTest::addColumn<int>("status");
        // clang-format off
        QTest::newRow("none")           << QByteArray()                  << 401;
        QTest::newRow("wrong password") << QByteArray("ada:guessed")     << 401;
        QTest::newRow("unknown user")   << QByteArray("eve:s3cret pass") << 401;
        QTest::newRow("right password") << QByteArray("ada:s3cret pass") << 200;
        // clang-format on
    }
    void passwordsAreChecked() {
        QFETCH(QByteArray, credentials);
        QFETCH(int, status);
        if (!m_tlsServed) {
            makeTls();
            const QString ini = QString::fromUtf8(
                test::readFile(m_folder.filePath(QStringLiteral("nxa-collect.ini"))));
            test::writeFile(
                m_folder.filePath(QStringLiteral("tls.ini")),
                ("tls-cert=cert.pem\ntls-key=key.pem\nweb-users=users\n" + ini).toUtf8());
            QCOMPARE(runCollect(m_folder.path(),
                                {QStringLiteral("--config"), QStringLiteral("tls.ini"),
                                 QStringLiteral("web-user"), QStringLiteral("add"),
                                 QStringLiteral("ada")},
                                "s3cret pass\n"),
                     0);
            m_tlsServed = std::make_unique<Served>();
            QVERIFY(m_tlsServed->start(
                m_folder.path(), {QStringLiteral("--config"), QStringLiteral("tls.ini"),
                                  QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")}));
        }
        QSslSocket socket;
        socket.setPeerVerifyMode(QSslSocket::VerifyNone);
        socket.connectToHostEncrypted(QStringLiteral("127.0.0.1"), m_tlsServed->port());
        QVERIFY(socket.waitForEncrypted(10000));
        const QByteArray authorization =
            credentials.isEmpty() ? QByteArray()
                                  : "Authorization: Basic " + credentials.toBase64() + "\r\n";
        const Answer answer = exchange(socket, get("/search?q=Ada", authorization));
        QCOMPARE(answer.status, status);
        QCOMPARE(answer.body.contains("Ada Drift"), status == 200);
    }

    // An insider's edit of one record shows on /verify once the archive
    // has changed since (here a calibration; in a plant the next download).
    void verifyFindsAnEditedRecord() {
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("insider"));
            db.setDatabaseName(m_folder.filePath(QStringLiteral("nxa-archive.sqlite")));
            QVERIFY(db.open());
            QSqlQuery edit(db);
            QVERIFY(edit.exec(QStringLiteral("UPDATE records SET wrist_strap = '1' WHERE attempt = "
                                             "(SELECT MIN(id) FROM attempts) AND seq = 0")));
            QCOMPARE(edit.numRowsAffected(), 1);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("insider"));
        QCOMPARE(runCollect(m_folder.path(),
                            {QStringLiteral("calibration"), QStringLiteral("east"),
                             QStringLiteral("--on"), QDate::currentDate().toString(Qt::ISODate),
                             QStringLiteral("--by"), QStringLiteral("R. Meter")}),
                 0);
        const Answer answer = m_served.ask(get("/verify"));
        QCOMPARE(answer.status, 200);
        QVERIFY2(answer.body.contains("NOT INTACT"), answer.body.constData());
    }

private:
    void makeTls() {
        if (QFile::exists(m_folder.filePath(QStringLiteral("cert.pem"))))
            return;
        QProcess openssl;
        openssl.setWorkingDirectory(m_folder.path());
        openssl.start(QStringLiteral("openssl"),
                      {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                       "-nodes", "-keyout", "key.pem", "-out", "cert.pem", "-days", "2", "-subj",
                       "/CN=localhost"});
        QVERIFY(openssl.waitForFinished(30000));
        QCOMPARE(openssl.exitCode(), 0);
    }

    QTemporaryDir m_folder;
    std::vector<std::unique_ptr<sim::SimulatorThread>> m_simulators;
    Served m_served;
    std::unique_ptr<Served> m_tlsServed;
    Answer m_plant;
};

QTEST_GUILESS_MAIN(ServeTest)
#include "tst_serve.moc"
