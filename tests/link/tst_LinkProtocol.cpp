#include "common/TesterAddress.h"
#include "link/HostAddress.h"
#include "link/LinkConstants.h"
#include "link/LinkOutcome.h"
#include "link/TesterRequest.h"

#include <QTest>

using namespace nxa;
using namespace nxa::link;

Q_DECLARE_METATYPE(nxa::link::Outcome)
Q_DECLARE_METATYPE(nxa::NoticeIcon)

class LinkProtocolTest : public QObject {
    Q_OBJECT

private slots:
    void request_data();
    void request();
    void loginReply_data();
    void loginReply();
    void failureClasses_data();
    void failureClasses();
    void networkError();
    void port_data();
    void port();
    void hostAddressOrder();
};

void LinkProtocolTest::request_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray spaces54(54, ' ');
    QTest::newRow("login") << "NXAC"
                           << "583041" << QByteArray("NXAC583041") + spaces54;
    QTest::newRow("datalogger") << "NXAD"
                                << "583041" << QByteArray("NXAD583041") + spaces54;
    QTest::newRow("configuration") << "NXAE"
                                   << "000000" << QByteArray("NXAE000000") + spaces54;
    QTest::newRow("upload") << "NXAI"
                            << "123456" << QByteArray("NXAI123456") + spaces54;
    QTest::newRow("empty password") << "NXAC"
                                    << "" << QByteArray("NXAC") + QByteArray(60, ' ');
    QTest::newRow("letters") << "NXAC"
                             << "abcdef" << QByteArray("NXACabcdef") + spaces54;
    // 64 characters, but two bytes for each e-acute in UTF-8.
    QTest::newRow("non-ASCII") << "NXAC"
                               << QString::fromUtf8("\xC3\xA9\xC3\xA9"
                                                    "1234")
                               << QByteArray("NXAC\xC3\xA9\xC3\xA9"
                                             "1234") +
                                      spaces54;
    // A character outside the BMP is one character, four bytes.
    QTest::newRow("outside BMP") << "NXAC"
                                 << QString::fromUtf8("\xF0\x9F\x94\x91"
                                                      "12345")
                                 << QByteArray("NXAC\xF0\x9F\x94\x91"
                                               "12345") +
                                        spaces54;
    const QString longPassword(70, QLatin1Char('7'));
    QTest::newRow("cut to 64") << "NXAC" << longPassword
                               << QByteArray("NXAC") + QByteArray(60, '7');
}

void LinkProtocolTest::request() {
    QFETCH(QString, command);
    QFETCH(QString, password);
    QFETCH(QByteArray, expected);
    QCOMPARE(buildRequest(command, password), expected);
}

void LinkProtocolTest::loginReply_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<Outcome>("outcome");

    QTest::newRow("NXAOK padded") << QByteArray("NXAOK") + QByteArray(59, ' ') << Outcome::Success;
    QTest::newRow("NXAOK whatever follows") << QByteArray("NXAOKBUSYWP") << Outcome::Success;
    QTest::newRow("NXAOK alone") << QByteArray("NXAOK") << Outcome::Success;
    QTest::newRow("four bytes NXAO") << QByteArray("NXAO") << Outcome::NoTester;
    QTest::newRow("fifth byte differs")
        << QByteArray("NXAOX") + QByteArray(59, ' ') << Outcome::NoTester;
    QTest::newRow("lower case") << QByteArray("nxaok") << Outcome::NoTester;
    QTest::newRow("BUSY") << QByteArray("BUSY") + QByteArray(60, ' ') << Outcome::Busy;
    QTest::newRow("BUSY before WP") << QByteArray("BUSYWP") << Outcome::Busy;
    QTest::newRow("BUS") << QByteArray("BUS") << Outcome::NoTester;
    QTest::newRow("WP") << QByteArray("WP") + QByteArray(62, ' ') << Outcome::WrongPassword;
    QTest::newRow("WP anything") << QByteArray("WPNXAOK") << Outcome::WrongPassword;
    QTest::newRow("W only") << QByteArray("W") << Outcome::NoTester;
    QTest::newRow("leading space") << QByteArray(" NXAOK") << Outcome::NoTester;
    QTest::newRow("nothing") << QByteArray() << Outcome::NoTester;
    QTest::newRow("zeros") << QByteArray(64, '\0') << Outcome::NoTester;
}

void LinkProtocolTest::loginReply() {
    QFETCH(QByteArray, reply);
    QFETCH(Outcome, outcome);
    QCOMPARE(classifyLoginReply(reply), outcome);
    QCOMPARE(isOkReply(reply), outcome == Outcome::Success);
}

void LinkProtocolTest::failureClasses_data() {
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<NoticeIcon>("icon");
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("staysOpen");

    QTest::newRow("cannot connect") << Outcome::CannotConnect << "Error"
                                    << "Can't connect to 10.0.200.7" << NoticeIcon::Error
                                    << "     6 - Error: Can't connect to 10.0.200.7" << 6 << true;
    QTest::newRow("busy")
        << Outcome::Busy << "Busy"
        << "BR NXA connected but now is busy...\n\nPlease wait a moment then retry."
        << NoticeIcon::Warning << "     3 - Error: BR NXA connected but now is busy..." << 3
        << true;
    QTest::newRow("wrong password") << Outcome::WrongPassword << "Wrong Password"
                                    << "Password incorrect error.\nTry again" << NoticeIcon::Error
                                    << "     4 - Error: Wrong Password" << 4 << true;
    QTest::newRow("no tester") << Outcome::NoTester << "Error"
                               << "No BR NXA connected at 10.0.200.7" << NoticeIcon::Error
                               << "     5 - Error: No BR NXA connected at 10.0.200.7" << 5 << false;
    QTest::newRow("communication failure") << Outcome::CommunicationFailure << "Error"
                                           << "Communication failure" << NoticeIcon::None
                                           << "     2 - Error: Communication failure" << 2 << false;
    QTest::newRow("aborted") << Outcome::Aborted << ""
                             << "" << NoticeIcon::None
                             << "     7 - Error: Operation aborted by user." << 7 << false;
    QTest::newRow("upload success") << Outcome::Success << "Uploaded successfully"
                                    << "Uploadedd successfully the configuration"
                                    << NoticeIcon::Information << "" << 0 << false;
    QTest::newRow("upload fail") << Outcome::UploadFailed << "Error"
                                 << "Upload fail" << NoticeIcon::None << "" << 0 << false;
}

void LinkProtocolTest::failureClasses() {
    QFETCH(Outcome, outcome);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(NoticeIcon, icon);
    QFETCH(QString, line);
    QFETCH(int, code);
    QFETCH(bool, staysOpen);

    const quint32 address = parseDottedAddress(QStringLiteral("10.0.200.7"));
    const Notice notice = interactiveNotice(outcome, address);
    QCOMPARE(notice.title, title);
    QCOMPARE(notice.text, text);
    QCOMPARE(notice.icon, icon);
    QCOMPARE(commandLineLine(outcome, address), line);
    QCOMPARE(nxa::number(resultCode(outcome)), code);
    QCOMPARE(keepsWindowOpen(outcome), staysOpen);
}

void LinkProtocolTest::networkError() {
    const Notice notice = networkErrorNotice();
    QCOMPARE(notice.title, QStringLiteral("Network Error"));
    QCOMPARE(notice.text, QStringLiteral("Brontel NXA has closed the connection..."));
    QCOMPARE(notice.icon, NoticeIcon::None);
}

void LinkProtocolTest::port_data() {
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("set");
    QTest::addColumn<int>("port");

    QTest::newRow("unset") << QByteArray() << false << 80;
    QTest::newRow("empty") << QByteArray() << true << 80;
    QTest::newRow("8080") << QByteArray("8080") << true << 8080;
    QTest::newRow("highest") << QByteArray("65535") << true << 65535;
    QTest::newRow("spaces around") << QByteArray(" 2080 ") << true << 2080;
    QTest::newRow("zero") << QByteArray("0") << true << 80;
    QTest::newRow("too big") << QByteArray("65536") << true << 80;
    QTest::newRow("negative") << QByteArray("-1") << true << 80;
    QTest::newRow("not a number") << QByteArray("http") << true << 80;
    QTest::newRow("trailing junk") << QByteArray("81x") << true << 80;
}

void LinkProtocolTest::port() {
    QFETCH(QByteArray, value);
    QFETCH(bool, set);
    QFETCH(int, port);
    if (set)
        qputenv(kTesterPortVariable, value);
    else
        qunsetenv(kTesterPortVariable);
    QCOMPARE(int(testerPort()), port);
    qunsetenv(kTesterPortVariable);
}

void LinkProtocolTest::hostAddressOrder() {
    // The first dotted field sits in the lowest byte of a tester address.
    QCOMPARE(hostAddress(0x6301A8C0u).toString(), QStringLiteral("192.168.1.99"));
    QCOMPARE(hostAddress(parseDottedAddress(QStringLiteral("127.0.0.1"))),
             QHostAddress(QHostAddress::LocalHost));
}

QTEST_GUILESS_MAIN(LinkProtocolTest)
#include "tst_LinkProtocol.moc"
