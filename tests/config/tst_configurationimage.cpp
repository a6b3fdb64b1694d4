#include "config/ConfigurationImage.h"
#include "config/ConfigurationRecords.h"
#include "support/GoldenConfiguration.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QTest>

#include <functional>

using namespace nxa;
using namespace nxa::config;

using ConfigEdit = std::function<void(StationConfig &)>;
Q_DECLARE_METATYPE(ConfigEdit)

namespace {

QByteArray recordOf(const QByteArray &transfer, int record) {
    return transfer.mid(64 + 64 * record, 64);
}

// A transfer built from golden records, with `edit` applied to one record.
QByteArray editedTransfer(int record, int offset, const QByteArray &bytes, int peripheral = 1) {
    QList<QByteArray> records = golden::defaultRecords();
    records[record].replace(offset, bytes.size(), bytes);
    return golden::transferForm(records, peripheral);
}

} // namespace

class TestConfigurationImage : public QObject {
    Q_OBJECT

private slots:
    void defaultRecords_data() {
        QTest::addColumn<int>("record");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("header") << 0 << golden::defaultHeader();
        QTest::newRow("first blank") << 1 << golden::spaces(64);
        QTest::newRow("profile 1") << 2 << golden::defaultProfile();
        QTest::newRow("profile 10") << 11 << golden::defaultProfile();
        QTest::newRow("visitors profile") << 12 << golden::defaultVisitorsProfile();
        QTest::newRow("second blank") << 13 << golden::spaces(64);
        QTest::newRow("users 0 and 1") << 14 << golden::defaultUserRecord(0);
        QTest::newRow("users 500 and 501") << 264 << golden::defaultUserRecord(250);
        QTest::newRow("users 998 and 999") << 513 << golden::defaultUserRecord(499);
    }
    void defaultRecords() {
        QFETCH(int, record);
        QFETCH(QByteArray, expected);
        QCOMPARE(expected.size(), 64);
        const StationConfig config;
        QCOMPARE(recordOf(encodeConfigurationTransfer(config), record), expected);
        QCOMPARE(encodeConfigurationFile(config).mid(66 * record, 66), expected + "\r\n");
    }

    void wholeDefaultFile() {
        const QByteArray file = encodeConfigurationFile(StationConfig());
        QCOMPARE(file.size(), 33924);
        QCOMPARE(file, golden::fileForm(golden::defaultRecords()));
        QBuffer device;
        device.open(QIODevice::WriteOnly);
        QVERIFY(encodeConfigurationFile(StationConfig(), device));
        QCOMPARE(device.data(), file);
    }

    void wholeTransfer_data() {
        QTest::addColumn<int>("peripheral");
        QTest::newRow("1") << 1;
        QTest::newRow("7") << 7;
        QTest::newRow("100") << 100;
    }
    void wholeTransfer() {
        QFETCH(int, peripheral);
        StationConfig config;
        config.setPeripheralNumber(peripheral);
        const QByteArray transfer = encodeConfigurationTransfer(config);
        QCOMPARE(transfer.size(), 32960);
        QCOMPARE(quint8(transfer.at(0)), quint8(peripheral));
        QCOMPARE(transfer.mid(1, 63), golden::spaces(63));
        QCOMPARE(transfer, golden::transferForm(golden::defaultRecords(), peripheral));
    }

    void encodeFields_data() {
        QTest::addColumn<ConfigEdit>("edit");
        QTest::addColumn<int>("record");
        QTest::addColumn<QByteArray>("expected");

        const QByteArray tail = QByteArray(";") + char(100) + ';' + golden::spaces(28);
        QTest::newRow("max, handfree, 50 V")
            << ConfigEdit([](StationConfig &c) {
                   c.securityLevel = SecurityLevel::Max;
                   c.mode = Mode::HandFree;
                   c.voltage = TestVoltage::V50;
               })
            << 0
            << QByteArray("F;EPA Area" + golden::spaces(12) + ";H;817488;H;" + char(50) + ";" +
                          golden::spaces(28));
        QTest::newRow("middle, description cut to 20") << ConfigEdit([](StationConfig &c) {
            c.securityLevel = SecurityLevel::Middle;
            c.description = QStringLiteral("Assembly line number 12");
        }) << 0 << QByteArray("F;Assembly line number;P;817488;N" + tail);
        QTest::newRow("short generator is padded with zeros")
            << ConfigEdit([](StationConfig &c) { c.generator = QStringLiteral("7"); }) << 0
            << QByteArray("F;EPA Area" + golden::spaces(12) + ";L;484855;N" + tail);
        QTest::newRow("generator code above 99 keeps code mod 100")
            << ConfigEdit([](StationConfig &c) { c.generator = QStringLiteral("{AB"); }) << 0
            << QByteArray("F;EPA Area" + golden::spaces(12) + ";L;236566;N" + tail);
        QTest::newRow("description low 8 bits") << ConfigEdit([](StationConfig &c) {
            c.description = QStringLiteral("Zo\u00eb \u0141");
        }) << 0 << QByteArray("F;Zo\xeb A" + golden::spaces(15) + ";L;817488;N" + tail);

        QTest::newRow("profile limits, choices, qualifier")
            << ConfigEdit([](StationConfig &c) {
                   Profile &p = c.profiles[4];
                   p.footwearMin = QString();
                   p.footwearMax = QStringLiteral("123456789");
                   p.wristStrapMin = QStringLiteral("0");
                   p.wristStrapMax = QStringLiteral("9999999");
                   p.check = 1;
                   p.relay = 0;
                   p.visitorsQualifier = false;
               })
            << 6
            << QByteArray("00000000;12345678;00000000;09999999;" + QByteArray(1, 1) + ";" +
                          QByteArray(1, 0) + ";N;" + golden::spaces(22));
        QTest::newRow("no choice is stored as 255")
            << ConfigEdit([](StationConfig &c) {
                   c.profiles[0].check = kNoChoice;
                   c.profiles[0].relay = 3;
               })
            << 2
            << QByteArray("00000100;00070000;00000750;00035000;\xff;\xff;Y;" + golden::spaces(22));
        QTest::newRow("visitors profile has no qualifier")
            << ConfigEdit([](StationConfig &c) {
                   c.profiles[10].visitorsQualifier = false;
                   c.profiles[10].check = 2;
               })
            << 12
            << QByteArray("00000100;00070000;00000750;00035000;" + QByteArray(1, 2) + ";" +
                          QByteArray(1, 2) + ";" + golden::spaces(24));
        QTest::newRow("user pair")
            << ConfigEdit([](StationConfig &c) {
                   c.users[300].active = false;
                   c.users[300].name = QStringLiteral("Zo\u00eb");
                   c.users[300].profile = 9;
                   c.users[301].name = QStringLiteral("\u0141ukasz with a long surname");
                   c.users[301].profile = kNoChoice;
               })
            << 164
            << QByteArray(QByteArray("\x01\x2c\x00", 3) + "Zo\xeb" + golden::spaces(17) + "\x09" +
                          golden::spaces(8) + QByteArray("\x01\x2d\x01", 3) +
                          "Aukasz with a long s" + "\xff" + golden::spaces(8));
    }
    void encodeFields() {
        QFETCH(ConfigEdit, edit);
        QFETCH(int, record);
        QFETCH(QByteArray, expected);
        QCOMPARE(expected.size(), 64);
        StationConfig config;
        edit(config);
        QCOMPARE(recordOf(encodeConfigurationTransfer(config), record), expected);
    }

    void decodeDefault() {
        StationConfig config;
        config.description = QStringLiteral("other");
        config.generator = QStringLiteral("ABC");
        config.securityLevel = SecurityLevel::Max;
        config.profiles[3].footwearMin = QStringLiteral("5");
        config.users[7] = User{false, QStringLiteral("x"), 4};
        const DecodeResult result = decodeConfigurationTransfer(
            config, golden::transferForm(golden::defaultRecords(), 42), QStringLiteral("10.0.0.7"));
        QVERIFY(result.ok);
        QVERIFY(result.notices.isEmpty());
        QCOMPARE(result.caption, QStringLiteral("10.0.0.7"));
        QCOMPARE(config.peripheralNumber(), 42);
        QCOMPARE(config.description, QStringLiteral("EPA Area"));
        QCOMPARE(config.generator, QStringLiteral("QJX"));
        QCOMPARE(config.securityLevel, SecurityLevel::Min);
        QCOMPARE(config.profiles[3], Profile());
        QCOMPARE(config.users[7], (User{true, QStringLiteral("User 7"), 0}));
        QCOMPARE(config.users[999], (User{true, QStringLiteral("User 999"), 0}));
        // Without their pad the texts still encode to the bytes they came from.
        QCOMPARE(encodeConfigurationTransfer(config),
                 golden::transferForm(golden::defaultRecords(), 42));
    }

    void decodeFields_data() {
        QTest::addColumn<int>("record");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<ConfigEdit>("check");

        // The configuration decoded into starts as Max, HandFree, 50 V, so
        // that an unknown code visibly keeps the current value.
        QTest::newRow("unknown codes keep fields")
            << 0 << 2 << QByteArray("Line 1" + golden::spaces(14) + ";X;817488;Q;M")
            << ConfigEdit([](StationConfig &c) {
                   QCOMPARE(c.securityLevel, SecurityLevel::Max);
                   QCOMPARE(c.mode, Mode::HandFree);
                   QCOMPARE(c.voltage, TestVoltage::V50);
                   QCOMPARE(c.description, QStringLiteral("Line 1"));
               });
        QTest::newRow("known codes")
            << 0 << 23 << QByteArray("P;556677;N;2") << ConfigEdit([](StationConfig &c) {
                   QCOMPARE(c.securityLevel, SecurityLevel::Middle);
                   QCOMPARE(c.mode, Mode::Normal);
                   QCOMPARE(c.voltage, TestVoltage::V50);
                   QCOMPARE(c.generator, QStringLiteral("7BM"));
               });
        QTest::newRow("generator bytes are not checked")
            << 0 << 25 << QByteArray("AB0010") << ConfigEdit([](StationConfig &c) {
                   // (0x41-0x30)*10 + (0x42-0x30) = 188; "00" gives code 0.
                   QCOMPARE(c.generator, QString(QChar(188)) + QChar(0) + QChar(10));
               });
        QTest::newRow("leading zeros stripped from limits")
            << 2 << 0 << QByteArray("00070000;00000000;0000000A;10000000")
            << ConfigEdit([](StationConfig &c) {
                   QCOMPARE(c.profiles[0].footwearMin, QStringLiteral("70000"));
                   QCOMPARE(c.profiles[0].footwearMax, QString());
                   QCOMPARE(c.profiles[0].wristStrapMin, QStringLiteral("A"));
                   QCOMPARE(c.profiles[0].wristStrapMax, QStringLiteral("10000000"));
               });
        QTest::newRow("indices outside the lists select nothing")
            << 3 << 36 << QByteArray("\x07;\xff;y") << ConfigEdit([](StationConfig &c) {
                   QCOMPARE(c.profiles[1].check, kNoChoice);
                   QCOMPARE(c.profiles[1].relay, kNoChoice);
                   QCOMPARE(c.profiles[1].visitorsQualifier, false);
               });
        QTest::newRow("visitors qualifier is not read")
            << 12 << 36 << QByteArray("\x01;\x03;N;") << ConfigEdit([](StationConfig &c) {
                   QCOMPARE(c.profiles[10].check, 1);
                   QCOMPARE(c.profiles[10].relay, kNoChoice);
                   QCOMPARE(c.profiles[10].visitorsQualifier, true);
               });
        QTest::newRow("later slot of a duplicate user wins")
            << 14 << 0
            << golden::userSlot(5, false, "First", 3) + golden::userSlot(5, true, "Second", 4)
            << ConfigEdit([](StationConfig &c) {
                   QCOMPARE(c.users[5], (User{true, QStringLiteral("Second"), 4}));
                   QCOMPARE(c.users[1].name, QStringLiteral("kept"));
                   QCOMPARE(c.users[4].name, QStringLiteral("kept"));
               });
        QTest::newRow("user numbers 1000 and above are skipped")
            << 20 << 0
            << golden::userSlot(1000, false, "Ghost", 1) + golden::userSlot(0xffff, false, "", 1)
            << ConfigEdit([](StationConfig &c) {
                   QCOMPARE(c.users[12].name, QStringLiteral("kept"));
                   QCOMPARE(c.users[13].name, QStringLiteral("kept"));
               });
        QTest::newRow("name bytes, zero bytes add nothing")
            << 15 << 32
            << QByteArray("\x03\xe7\x07"
                          "A\0B\xe9",
                          7) +
                   golden::spaces(16) + QByteArray("\x0a", 1)
            << ConfigEdit([](StationConfig &c) {
                   QCOMPARE(c.users[999].active, true);
                   QCOMPARE(c.users[999].name, QStringLiteral("AB\u00e9"));
                   QCOMPARE(c.users[999].profile, kNoChoice);
                   QCOMPARE(c.users[3].name, QStringLiteral("kept"));
               });
    }
    void decodeFields() {
        QFETCH(int, record);
        QFETCH(int, offset);
        QFETCH(QByteArray, bytes);
        QFETCH(ConfigEdit, check);
        StationConfig config;
        config.securityLevel = SecurityLevel::Max;
        config.mode = Mode::HandFree;
        config.voltage = TestVoltage::V50;
        for (User &user : config.users)
            user.name = QStringLiteral("kept");
        // Only the edited record carries users; the others name nobody that
        // a check looks at, so they are turned into user 0 slots.
        QList<QByteArray> records = golden::defaultRecords();
        for (int r = 14; r < 514; ++r)
            records[r] = golden::userSlot(0, true, "", 0) + golden::userSlot(0, true, "", 0);
        records[record].replace(offset, bytes.size(), bytes);
        QVERIFY(decodeConfigurationTransfer(config, golden::transferForm(records, 1)).ok);
        check(config);
    }

    void noChoiceReencodesAs255() {
        StationConfig config;
        const QByteArray edited = editedTransfer(5, 36, QByteArray("\x07;\x09", 3));
        QVERIFY(decodeConfigurationTransfer(config, edited).ok);
        const QByteArray record = recordOf(encodeConfigurationTransfer(config), 5);
        QCOMPARE(quint8(record.at(36)), quint8(255));
        QCOMPARE(quint8(record.at(38)), quint8(255));
    }

    void roundTrip() {
        StationConfig config;
        config.setPeripheralNumber(77);
        config.description = QStringLiteral("Twenty characters!!!");
        config.securityLevel = SecurityLevel::Middle;
        config.generator = QStringLiteral("a1Z");
        config.mode = Mode::HandFree;
        config.voltage = TestVoltage::V50;
        config.profiles[9] = Profile{QStringLiteral("1"),
                                     QString(),
                                     QStringLiteral("9999999"),
                                     QStringLiteral("42"),
                                     2,
                                     1,
                                     false};
        for (int k = 0; k < kUserCount; ++k)
            config.users[size_t(k)] =
                User{k % 3 != 0,
                     QStringLiteral("Name %1 of user").arg(k).leftJustified(20, QLatin1Char('.')),
                     k % 10};
        const QByteArray transfer = encodeConfigurationTransfer(config);
        StationConfig decoded;
        QVERIFY(decodeConfigurationTransfer(decoded, transfer).ok);
        QCOMPARE(decoded, config);
        QCOMPARE(encodeConfigurationTransfer(decoded), transfer);

        StationConfig fromFile;
        fromFile.setPeripheralNumber(77); // a file carries no peripheral number
        QBuffer device;
        device.setData(encodeConfigurationFile(config));
        device.open(QIODevice::ReadOnly);
        QVERIFY(decodeConfigurationFile(fromFile, device, QStringLiteral("CONFIG77.BRC")).ok);
        QCOMPARE(fromFile, config);
    }

    void lineEndsAreNotExamined() {
        QByteArray file;
        for (const QByteArray &record : golden::defaultRecords())
            file += record + QByteArray("\0X", 2);
        file[66 * 2] = ';'; // profile 1 footwear min becomes ";0000100"
        StationConfig config;
        QBuffer device(&file);
        device.open(QIODevice::ReadOnly);
        const DecodeResult result =
            decodeConfigurationFile(config, device, QStringLiteral("/some/dir/CONFIG03.BRC"));
        QVERIFY(result.ok);
        QCOMPARE(result.caption, QStringLiteral("CONFIG03.BRC"));
        QCOMPARE(config.peripheralNumber(), 3);
        QCOMPARE(config.profiles[0].footwearMin, QStringLiteral(";0000100"));
        QCOMPARE(config.users[999].name, QStringLiteral("User 999"));
    }

    void headerCheckFails_data() {
        QTest::addColumn<QByteArray>("transfer");
        QTest::addColumn<int>("peripheral");
        QTest::newRow("empty") << QByteArray() << 1;
        QTest::newRow("preamble only") << QByteArray("\x09") + golden::spaces(63) << 9;
        QTest::newRow("peripheral 0 goes to 1, header cut before byte 1")
            << QByteArray(1, 0) + golden::spaces(63) + "F" << 1;
        QTest::newRow("wrong separator") << editedTransfer(0, 1, ",", 100) << 100;
        QTest::newRow("file form sent as transfer")
            << QByteArray(1, 5) + golden::spaces(63) + golden::fileForm({golden::spaces(64)}) +
                   golden::defaultHeader()
            << 5;
    }
    void headerCheckFails() {
        QFETCH(QByteArray, transfer);
        QFETCH(int, peripheral);
        StationConfig config;
        config.setPeripheralNumber(50);
        config.description = QStringLiteral("unchanged");
        config.users[0].name = QStringLiteral("unchanged");
        StationConfig expected = config;
        expected.setPeripheralNumber(peripheral);
        const DecodeResult result =
            decodeConfigurationTransfer(config, transfer, QStringLiteral("x"));
        QVERIFY(!result.ok);
        QCOMPARE(result.caption, QString());
        QCOMPARE(result.notices,
                 Notices{(Notice{QStringLiteral("Error"), QStringLiteral("Wrong data format"),
                                 NoticeIcon::Error})});
        QCOMPARE(config, expected);
    }

    void truncatedTransfer_data() {
        QTest::addColumn<int>("length");
        QTest::newRow("ends in the blank record") << 64 + 64 + 10;
        QTest::newRow("ends inside profile 2") << 64 + 3 * 64 + 20;
        QTest::newRow("ends after the visitors profile") << 64 + 13 * 64;
        QTest::newRow("ends inside the users") << 64 + 14 * 64 + 100 * 64 + 40;
        QTest::newRow("one byte short") << 32959;
    }
    void truncatedTransfer() {
        QFETCH(int, length);
        StationConfig source;
        source.profiles[1].visitorsQualifier = true;
        for (int k = 0; k < kUserCount; ++k)
            source.users[size_t(k)] = User{true, QStringLiteral("U%1").arg(k), 3};
        const QByteArray full = encodeConfigurationTransfer(source);
        StationConfig config;
        for (User &user : config.users)
            user.name = QStringLiteral("before");
        QVERIFY(decodeConfigurationTransfer(config, full.left(length)).ok);

        // Every field whose bytes were cut off reads as if they were zeros.
        const auto bytesPresent = [&](int record, int offset) {
            return 64 + 64 * record + offset < length;
        };
        for (int p = 0; p < kProfileCount; ++p) {
            const Profile &profile = config.profiles[size_t(p)];
            if (!bytesPresent(2 + p, 0)) {
                QCOMPARE(profile.footwearMin, QString());
                QCOMPARE(profile.wristStrapMax, QString());
            }
            if (!bytesPresent(2 + p, 36))
                QCOMPARE(profile.check, 0);
            if (!bytesPresent(2 + p, 38))
                QCOMPARE(profile.relay, 0);
            if (!bytesPresent(2 + p, 40) && p != kVisitorsProfile)
                QCOMPARE(profile.visitorsQualifier, false);
            if (bytesPresent(2 + p, 63))
                QCOMPARE(profile, source.profiles[size_t(p)]);
        }
        for (int k = 1; k < kUserCount; ++k) {
            const int slot = 64 + 64 * (14 + k / 2) + (k % 2) * 32;
            if (length <= slot) {
                QCOMPARE(config.users[size_t(k)].name, QStringLiteral("before"));
            } else if (length >= slot + 2) {
                // A name cut short keeps the bytes that arrived, its pad aside.
                const int nameBytes = std::clamp(length - (slot + 3), 0, 20);
                QCOMPARE(config.users[size_t(k)].name,
                         QStringLiteral("U%1").arg(k).left(nameBytes));
            }
        }
        // Missing slots all read as user 0: inactive, no name, profile 0.
        if (length <= 64 + 64 * 513 + 32)
            QCOMPARE(config.users[0], (User{false, QString(), 0}));
    }

    void oversizedTransferIgnoresExtraBytes() {
        const QByteArray transfer = golden::transferForm(golden::defaultRecords(), 4);
        StationConfig plain;
        StationConfig oversized;
        QVERIFY(decodeConfigurationTransfer(plain, transfer).ok);
        QVERIFY(decodeConfigurationTransfer(oversized, transfer + QByteArray(5000, '\x03')).ok);
        QCOMPARE(oversized, plain);
    }

    void randomBytes() {
        QRandomGenerator random(20261207);
        for (int round = 0; round < 200; ++round) {
            QByteArray bytes(int(random.bounded(40000)), Qt::Uninitialized);
            for (char &b : bytes)
                b = char(random.bounded(256));
            if (round % 2 == 0 && bytes.size() > 65)
                bytes[65] = ';';
            StationConfig config;
            const DecodeResult result = decodeConfigurationTransfer(config, bytes);
            QCOMPARE(result.ok, bytes.size() > 65 && bytes.at(65) == ';');
            // Whatever was decoded encodes again to a well-formed image.
            QCOMPARE(encodeConfigurationTransfer(config).size(), 32960);
        }
    }
};

QTEST_GUILESS_MAIN(TestConfigurationImage)
#include "tst_configurationimage.moc"
