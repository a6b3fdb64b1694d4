#include "app/shared/Preferences.h"
#include "common/TesterAddress.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace nxa;
using namespace nxa::app;

namespace {

constexpr quint32 address(quint32 a, quint32 b, quint32 c, quint32 d) {
    return a | b << 8 | c << 16 | d << 24;
}

} // namespace

class TestPreferences : public QObject {
    Q_OBJECT

private slots:
    void writesExactBytes() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("preferences.pref"));
        writePreferences(address(192, 168, 1, 200), path);
        QCOMPARE(test::readFile(path), QByteArray("\xEF\xBB\xBF\r\n"
                                                  "[TCP/IP Settings]\r\n"
                                                  "IP Address = 192.168.1.200\r\n"));
    }

    void reads_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        const QByteArray bom = "\xEF\xBB\xBF";
        QTest::newRow("as written") << bom + "\r\n[TCP/IP Settings]\r\nIP Address = 10.1.2.3\r\n"
                                    << "10.1.2.3";
        QTest::newRow("leading zeros") << bom + "\r\n[TCP/IP Settings]\r\nIP Address = "
                                                "192.168.001.200\r\n"
                                       << "192.168.1.200";
        QTest::newRow("hand-edited, small letters, no spaces")
            << QByteArray("[tcp/ip settings]\nip address=10.0.0.7\n") << "10.0.0.7";
        QTest::newRow("three fields")
            << QByteArray("[TCP/IP Settings]\nIP Address = 10.0.0\n") << "10.0.0.0";
        QTest::newRow("third field carries")
            << QByteArray("[TCP/IP Settings]\nIP Address = 1.2.256.4\n") << "1.2.0.5";
        QTest::newRow("fourth field wraps")
            << QByteArray("[TCP/IP Settings]\nIP Address = 1.2.3.256\n") << "1.2.3.0";
        QTest::newRow("letters") << QByteArray("[TCP/IP Settings]\nIP Address = abc\n")
                                 << "0.0.0.0";
        QTest::newRow("empty value")
            << QByteArray("[TCP/IP Settings]\nIP Address =\n") << "0.0.0.0";
        QTest::newRow("digits then text in fields")
            << QByteArray("[TCP/IP Settings]\nIP Address = 12abc.7 .x9.4\n") << "12.7.0.4";
        QTest::newRow("comments, other groups, blanks")
            << QByteArray("; IP Address = 9.9.9.9\r\n[Other]\r\nIP Address = 1.1.1.1\r\n\r\n"
                          "  [TCP/IP Settings]\r\n\t; IP Address = 2.2.2.2\r\n"
                          " \tIP Address \t=  \t3.3.3.3 \t\r\n[Later]\r\nIP Address = 4.4.4.4\r\n")
            << "3.3.3.3";
        QTest::newRow("key only in another group")
            << QByteArray("[Network]\r\nIP Address = 1.1.1.1\r\n[TCP/IP Settings]\r\n")
            << "192.168.1.200";
        QTest::newRow("CR line ends")
            << QByteArray("[TCP/IP Settings]\rIP Address = 5.6.7.8\r") << "5.6.7.8";
        QTest::newRow("no line end at the end")
            << QByteArray("[TCP/IP Settings]\r\nIP Address = 5.6.7.9") << "5.6.7.9";
        QTest::newRow("group without closing bracket")
            << QByteArray("[TCP/IP Settings\nIP Address = 8.8.4.4\n") << "8.8.4.4";
        QTest::newRow("text after the closing bracket")
            << QByteArray("[TCP/IP Settings] old\nIP Address = 8.8.8.8\n") << "8.8.8.8";
        QTest::newRow("line without equals sign")
            << QByteArray("[TCP/IP Settings]\nIP Address\nIP Address = 7.7.7.7\n") << "7.7.7.7";
        QTest::newRow("Latin-1 without byte-order mark")
            << QByteArray("; r\xe9seau de l'usine\n[TCP/IP Settings]\nIP Address = 172.16.0.1\n")
            << "172.16.0.1";
        QTest::newRow("UTF-8 after byte-order mark")
            << bom + "\r\n[R\xC3\xA9seau]\r\nIP Address = 1.1.1.1\r\n[TCP/IP Settings]\r\n"
                     "IP Address = 172.16.0.2\r\n"
            << "172.16.0.2";
        QTest::newRow("missing key")
            << QByteArray("[TCP/IP Settings]\nPort = 80\n") << "192.168.1.200";
        QTest::newRow("empty file") << QByteArray() << "192.168.1.200";
        QTest::newRow("binary junk")
            << QByteArray("\x00\xff[\x01=\x02\n\x00", 9) << "192.168.1.200";
    }
    void reads() {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("preferences.pref"));
        QVERIFY(test::writeFile(path, content));
        QCOMPARE(formatAddress(readPreferences(path)), expected);
    }

    void missingFileGivesDefault() {
        QTemporaryDir dir;
        QCOMPARE(readPreferences(dir.filePath(QStringLiteral("preferences.pref"))),
                 address(192, 168, 1, 200));
        QCOMPARE(readPreferences(dir.path()), address(192, 168, 1, 200)); // a folder
    }

    void rewriteDropsEverythingElse() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("preferences.pref"));
        QVERIFY(test::writeFile(path, "; mine\r\n[Other]\r\nKey = value\r\n[TCP/IP Settings]\r\n"
                                      "IP Address = 192.168.001.200\r\nExtra = 1\r\n"));
        writePreferences(readPreferences(path), path);
        QCOMPARE(test::readFile(path), QByteArray("\xEF\xBB\xBF\r\n[TCP/IP Settings]\r\n"
                                                  "IP Address = 192.168.1.200\r\n"));
    }

    void unwritablePathIsSkipped() {
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("no/such/preferences.pref"));
        writePreferences(address(1, 2, 3, 4), missing);
        QVERIFY(!QFileInfo::exists(missing));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.pref")));
        writePreferences(address(1, 2, 3, 4), dir.filePath(QStringLiteral("folder.pref")));
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("folder.pref"))).isDir());
    }

    void defaultFileNameIsInTheWorkingDirectory() {
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        writePreferences(address(10, 20, 30, 40));
        const quint32 read = readPreferences();
        QVERIFY(QDir::setCurrent(previous));
        QCOMPARE(read, address(10, 20, 30, 40));
        QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("preferences.pref"))));
    }

    void addressText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<quint32>("value");
        QTest::addColumn<QString>("formatted");
        QTest::newRow("plain") << "192.168.1.99" << address(192, 168, 1, 99) << "192.168.1.99";
        QTest::newRow("leading zeros")
            << "192.168.001.099" << address(192, 168, 1, 99) << "192.168.1.99";
        QTest::newRow("three fields") << "192.168.1" << address(192, 168, 1, 0) << "192.168.1.0";
        QTest::newRow("five fields")
            << "192.168.1.99.5" << address(192, 168, 1, 99) << "192.168.1.99";
        QTest::newRow("first field carries") << "256.1.1.1" << address(0, 2, 1, 1) << "0.2.1.1";
        QTest::newRow("trailing space")
            << "192.168.1.99 " << address(192, 168, 1, 99) << "192.168.1.99";
        QTest::newRow("sign") << "-1.2.3.4" << address(0, 2, 3, 4) << "0.2.3.4";
        QTest::newRow("all ones") << "255.255.255.255" << 0xFFFFFFFFu << "255.255.255.255";
        QTest::newRow("empty") << "" << 0u << "0.0.0.0";
        QTest::newRow("huge field wraps") << "4294967297" << 1u << "1.0.0.0";
        QTest::newRow("fullwidth digits are not digits")
            << "\uff11.2.3.4" << address(0, 2, 3, 4) << "0.2.3.4";
    }
    void addressText() {
        QFETCH(QString, text);
        QFETCH(quint32, value);
        QFETCH(QString, formatted);
        QCOMPARE(parseDottedAddress(text), value);
        QCOMPARE(formatAddress(value), formatted);
        // Text that is not already canonical does not survive the round trip.
        QCOMPARE(formatAddress(parseDottedAddress(text)) == text, formatted == text);
        QCOMPARE(parseDottedAddress(formatted), value);
    }
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
