#include "common/ByteFields.h"
#include "records/AccessRecordFormat.h"
#include "support/WorkedRecord.h"

#include <QTest>

using namespace nxa::records;

namespace {

// Builds a name list the way the merge does: from the raw 20-byte name fields.
QStringList namesWith(int user, const QByteArray &field) {
    QStringList names(1000);
    names[user] = nxa::textFromBytes(field);
    return names;
}

QStringList cells(const Row &row) {
    return QStringList(row.begin(), row.end());
}

} // namespace

class TstAccessRecordFormat : public QObject {
    Q_OBJECT

private slots:
    void formatsRows_data();
    void formatsRows();
    void givesNoRowAboveUser999_data();
    void givesNoRowAboveUser999();
    void convertsNameBytes_data();
    void convertsNameBytes();
};

void TstAccessRecordFormat::formatsRows_data() {
    QTest::addColumn<QByteArray>("recordHex");
    QTest::addColumn<int>("user");
    QTest::addColumn<QByteArray>("nameField");
    QTest::addColumn<char>("recognition");
    QTest::addColumn<int>("peripheral");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("worked example")
        << QByteArray(nxa::test::kWorkedRecordHex) << 5 << QByteArray(nxa::test::kWorkedUserName)
        << 'F' << 1 << nxa::test::workedRecordCells();

    // 2023-12-31 23:59:58 = year 43, month 12, day 31, hour 23, minute 59, 29 half seconds.
    // Bytes 5-10 hold values that L+R must ignore.
    QTest::newRow("flags D8: visitor, pass, L+R, keyboard")
        << QByteArray("0007 0004B0 000102 000304 579FBF7D D8") << 7 << QByteArray("Guest") << 'F'
        << 12 << QStringList{"12",       "7",
                             "Y",        "Visitor (Guest)",
                             "",         "",
                             "",         "1200",
                             "Y",        "N",
                             "Keyboard", "2023-12-31",
                             "23:59:58", "0-7-0-4-176-0-1-2-0-3-4-87-159-191-125-216-"};

    QTest::newRow("visitor with empty name")
        << QByteArray("0000 000000 000000 000000 00000000 80") << 0 << QByteArray() << 'X' << 0
        << QStringList{"0",        "0",
                       "Y",        "Visitor ()",
                       "0",        "0",
                       "0",        "",
                       "N",        "N",
                       "",         "1980-00-00",
                       "00:00:00", "0-0-0-0-0-0-0-0-0-0-0-0-0-0-0-128-"};

    QTest::newRow("visitor name of 11 characters keeps the parenthesis")
        << QByteArray("0001 000000 000000 000000 00000000 80") << 1 << QByteArray("ABCDEFGHIJK")
        << 'F' << 0 << QStringList{"0",           "1",
                                   "Y",           "Visitor (ABCDEFGHIJK)",
                                   "0",           "0",
                                   "0",           "",
                                   "N",           "N",
                                   "Fingerprint", "1980-00-00",
                                   "00:00:00",    "0-1-0-0-0-0-0-0-0-0-0-0-0-0-0-128-"};

    QTest::newRow("visitor name of 12 characters loses it")
        << QByteArray("0001 000000 000000 000000 00000000 80") << 1 << QByteArray("ABCDEFGHIJKL")
        << 'F' << 0 << QStringList{"0",           "1",
                                   "Y",           "Visitor (ABCDEFGHIJKL",
                                   "0",           "0",
                                   "0",           "",
                                   "N",           "N",
                                   "Fingerprint", "1980-00-00",
                                   "00:00:00",    "0-1-0-0-0-0-0-0-0-0-0-0-0-0-0-128-"};

    QTest::newRow("visitor name all spaces")
        << QByteArray("0001 000000 000000 000000 00000000 88") << 1
        << QByteArray("                    ") << 'F' << 0
        << QStringList{"0",        "1",
                       "Y",        "Visitor ()",
                       "0",        "0",
                       "0",        "",
                       "N",        "N",
                       "Keyboard", "1980-00-00",
                       "00:00:00", "0-1-0-0-0-0-0-0-0-0-0-0-0-0-0-136-"};

    // Only spaces are outer padding; a tab is part of the name.
    QTest::newRow("name trimmed of spaces only")
        << QByteArray("03E7 FFFFFF 000001 000010 00000000 40") << 999
        << QByteArray("  \tBob Smith  ") << 'F' << 99
        << QStringList{"99",          "999",
                       "N",           "\tBob Smith",
                       "16",          "16777215",
                       "1",           "",
                       "Y",           "N",
                       "Fingerprint", "1980-00-00",
                       "00:00:00",    "3-231-255-255-255-0-0-1-0-0-16-0-0-0-0-64-"};

    // Month 13 (bits 24-21 = 1101), day 0, hour 24, minute 60, 31 half seconds.
    // 0000000 1101 00000 11000 111100 11111 = 01A0 C79F
    QTest::newRow("invalid date shown as stored")
        << QByteArray("0002 000000 000000 000000 01A0C79F 20") << 2 << QByteArray("Ann") << 'F' << 3
        << QStringList{"3",           "2",
                       "N",           "Ann",
                       "0",           "0",
                       "0",           "",
                       "N",           "Y",
                       "Fingerprint", "1980-13-00",
                       "24:60:62",    "0-2-0-0-0-0-0-0-0-0-0-1-160-199-159-32-"};

    QTest::newRow("every time stamp bit set")
        << QByteArray("0002 000000 000000 000000 FFFFFFFF 10") << 2 << QByteArray("Ann") << 'F' << 3
        << QStringList{"3",
                       "2",
                       "N",
                       "Ann",
                       "",
                       "",
                       "",
                       "0",
                       "N",
                       "N",
                       "Fingerprint",
                       "2107-15-31",
                       "31:63:62",
                       "0-2-0-0-0-0-0-0-0-0-0-255-255-255-255-16-"};

    // Year 2040 (field 60): beyond what 32-bit time libraries reach.
    // 0111100 0010 00001 00000 000000 00000 = 7841 0000
    QTest::newRow("year after 2037")
        << QByteArray("0002 000000 000000 000000 78410000 00") << 2 << QByteArray("Ann") << 'F' << 3
        << QStringList{"3",           "2",
                       "N",           "Ann",
                       "0",           "0",
                       "0",           "",
                       "N",           "N",
                       "Fingerprint", "2040-02-01",
                       "00:00:00",    "0-2-0-0-0-0-0-0-0-0-0-120-65-0-0-0-"};

    QTest::newRow("recognition type other than F")
        << QByteArray("0002 000000 000000 000000 00000000 00") << 2 << QByteArray("Ann") << 'f' << 3
        << QStringList{
               "3", "2", "N", "Ann", "0",          "0",        "0",
               "",  "N", "N", "",    "1980-00-00", "00:00:00", "0-2-0-0-0-0-0-0-0-0-0-0-0-0-0-0-"};

    QTest::newRow("short record reads as zeros")
        << QByteArray("0003 00") << 3 << QByteArray("Cy") << 'F' << 3
        << QStringList{"3",           "3",
                       "N",           "Cy",
                       "0",           "0",
                       "0",           "",
                       "N",           "N",
                       "Fingerprint", "1980-00-00",
                       "00:00:00",    "0-3-0-0-0-0-0-0-0-0-0-0-0-0-0-0-"};
}

void TstAccessRecordFormat::formatsRows() {
    QFETCH(QByteArray, recordHex);
    QFETCH(int, user);
    QFETCH(QByteArray, nameField);
    QFETCH(char, recognition);
    QFETCH(int, peripheral);
    QFETCH(QStringList, expected);

    const std::optional<Row> row = formatAccessRecord(
        QByteArray::fromHex(recordHex), namesWith(user, nameField), recognition, peripheral);
    QVERIFY(row.has_value());
    QCOMPARE(cells(*row), expected);
}

void TstAccessRecordFormat::givesNoRowAboveUser999_data() {
    QTest::addColumn<QByteArray>("recordHex");
    QTest::addColumn<bool>("givesRow");
    QTest::newRow("user 0") << QByteArray("0000") << true;
    QTest::newRow("user 999") << QByteArray("03E7") << true;
    QTest::newRow("user 1000") << QByteArray("03E8") << false;
    QTest::newRow("user 65535") << QByteArray("FFFF") << false;
    QTest::newRow("user 256") << QByteArray("0100") << true;
}

void TstAccessRecordFormat::givesNoRowAboveUser999() {
    QFETCH(QByteArray, recordHex);
    QFETCH(bool, givesRow);
    // Fewer names than users must not matter either.
    QCOMPARE(formatAccessRecord(QByteArray::fromHex(recordHex), {}, 'F', 1).has_value(), givesRow);
}

void TstAccessRecordFormat::convertsNameBytes_data() {
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << QByteArray("Desk5") << QStringLiteral("Desk5");
    QTest::newRow("zero byte adds nothing") << QByteArray("Ab\0\0cd", 6) << QStringLiteral("Abcd");
    QTest::newRow("latin-1 bytes")
        << QByteArray("Jos\xE9 M\xFCller") << QString::fromUtf8("José Müller");
    QTest::newRow("control byte kept") << QByteArray("\x01X") << QStringLiteral("\x01X");
    QTest::newRow("outer spaces kept until formatting")
        << QByteArray(" A ") << QStringLiteral(" A ");
}

void TstAccessRecordFormat::convertsNameBytes() {
    QFETCH(QByteArray, field);
    QFETCH(QString, expected);
    QCOMPARE(nxa::textFromBytes(field), expected);
}

QTEST_GUILESS_MAIN(TstAccessRecordFormat)
#include "tst_accessrecordformat.moc"
