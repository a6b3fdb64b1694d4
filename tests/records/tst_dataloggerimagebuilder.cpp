#include "samples/DataloggerImageBuilder.h"
#include "support/WorkedRecord.h"

#include <QTest>

using namespace nxa::records;

class TstDataloggerImageBuilder : public QObject {
    Q_OBJECT

private slots:
    void encodesAccessRecord_data();
    void encodesAccessRecord();
    void placesFieldsInTransferImage();
    void placesFieldsInFileImage();
    void writesBrokenHeaders_data();
    void writesBrokenHeaders();
    void samplesAreDeterministic();
};

void TstDataloggerImageBuilder::encodesAccessRecord_data() {
    QTest::addColumn<int>("user");
    QTest::addColumn<int>("footwear");
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("wristStrap");
    QTest::addColumn<QList<int>>("when");
    QTest::addColumn<int>("flags");
    QTest::addColumn<QByteArray>("expectedHex");

    QTest::newRow("worked example")
        << 5 << 300 << 301 << 250 << QList<int>{2020, 5, 11, 14, 30, 20} << 0x60
        << QByteArray(nxa::test::kWorkedRecordHex).replace(' ', "");
    QTest::newRow("largest values")
        << 65535 << 0xFFFFFF << 0xFFFFFF << 0xFFFFFF << QList<int>{2107, 15, 31, 31, 63, 62} << 0xFF
        << QByteArray("FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF");
    // Only 24 bits of a resistance fit; odd seconds are stored halved.
    QTest::newRow("cut to field widths")
        << 1000 << 0x1234567 << 0 << 1 << QList<int>{1980, 1, 1, 0, 0, 59} << 0xD8
        << QByteArray("03E8234567000000000001002100 1DD8");
}

void TstDataloggerImageBuilder::encodesAccessRecord() {
    QFETCH(int, user);
    QFETCH(int, footwear);
    QFETCH(int, right);
    QFETCH(int, wristStrap);
    QFETCH(QList<int>, when);
    QFETCH(int, flags);
    QFETCH(QByteArray, expectedHex);

    AccessRecord record;
    record.user = static_cast<quint16>(user);
    record.footwear = static_cast<quint32>(footwear);
    record.right = static_cast<quint32>(right);
    record.wristStrap = static_cast<quint32>(wristStrap);
    record.timestamp =
        AccessRecord::dosTimestamp(when[0], when[1], when[2], when[3], when[4], when[5]);
    record.flags = static_cast<quint8>(flags);
    QCOMPARE(record.toBytes().toHex().toUpper(),
             QByteArray::fromHex(expectedHex).toHex().toUpper());
}

void TstDataloggerImageBuilder::placesFieldsInTransferImage() {
    DataloggerImageBuilder builder;
    builder.setPeripheralNumber(42);
    builder.setRecognitionType('K');
    builder.setUserName(0, "Zero");
    builder.setUserName(5, "Desk5");
    builder.setUserName(999, "Last user name xxxxxTOO LONG");
    AccessRecord first;
    first.user = 5;
    AccessRecord sixth;
    sixth.user = 6;
    sixth.flags = 0x80;
    for (int i = 0; i < 5; ++i)
        builder.addRecord(first);
    builder.addRecord(sixth);

    const QByteArray image = builder.transferImage();
    QCOMPARE(image.size(), 192192);
    QCOMPARE(image[0], char(42));
    // Header record at 64: mark, count at 17-24, recognition at 26.
    QCOMPARE(image[64], 'R');
    QCOMPARE(image.mid(64 + 17, 8), QByteArray("00000006"));
    QCOMPARE(image[64 + 26], 'K');
    // User records start at record 3; user k sits in record 3 + k / 2, slot k % 2,
    // its name at byte 3 of the 32-byte slot.
    QCOMPARE(image.mid(3 * 64 + 3, 20), QByteArray("Zero").leftJustified(20, '\0'));
    QCOMPARE(image.mid(5 * 64 + 32 + 3, 20), QByteArray("Desk5").leftJustified(20, '\0'));
    QCOMPARE(image.mid(502 * 64 + 32 + 3, 20), QByteArray("Last user name xxxxx"));
    QCOMPARE(image.mid(502 * 64 + 32 + 23, 9), QByteArray(9, '\0'));
    // Access blocks start at record 503, four records each.
    QCOMPARE(image.mid(503 * 64, 2), QByteArray("\x00\x05", 2));
    QCOMPARE(image.mid(504 * 64 + 16, 2), QByteArray("\x00\x06", 2));
    QCOMPARE(static_cast<quint8>(image[504 * 64 + 16 + 15]), quint8(0x80));
    QCOMPARE(image.mid(504 * 64 + 32), QByteArray(192192 - (504 * 64 + 32), '\0'));
}

void TstDataloggerImageBuilder::placesFieldsInFileImage() {
    DataloggerImageBuilder builder;
    builder.setPeripheralNumber(42);
    builder.setUserName(5, "Desk5");
    AccessRecord record;
    record.user = 7;
    builder.addRecord(record);

    const QByteArray file = builder.fileImage();
    QCOMPARE(file.size(), 198132);
    // No preamble; every 64-byte record is followed by CR LF.
    QCOMPARE(file[0], 'R');
    QCOMPARE(file.mid(17, 8), QByteArray("00000001"));
    QCOMPARE(file[26], 'F');
    for (int r = 0; r < 3002; ++r)
        QCOMPARE(file.mid(r * 66 + 64, 2), QByteArray("\r\n"));
    QCOMPARE(file.mid(4 * 66 + 32 + 3, 5), QByteArray("Desk5"));
    QCOMPARE(file.mid(502 * 66, 2), QByteArray("\x00\x07", 2));
}

void TstDataloggerImageBuilder::writesBrokenHeaders_data() {
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("headerCount");
    QTest::addColumn<char>("mark");
    QTest::addColumn<QByteArray>("expectedCount");
    QTest::newRow("count from records") << 3 << -1 << 'R' << QByteArray("00000003");
    QTest::newRow("count overridden") << 3 << 0 << 'R' << QByteArray("00000000");
    QTest::newRow("count above the image") << 0 << 12345678 << 'R' << QByteArray("12345678");
    QTest::newRow("no more than fits") << 10001 << -1 << 'R' << QByteArray("00010000");
    QTest::newRow("wrong mark") << 1 << -1 << 'X' << QByteArray("00000001");
}

void TstDataloggerImageBuilder::writesBrokenHeaders() {
    QFETCH(int, records);
    QFETCH(int, headerCount);
    QFETCH(char, mark);
    QFETCH(QByteArray, expectedCount);
    DataloggerImageBuilder builder;
    for (int i = 0; i < records; ++i)
        builder.addRecord(AccessRecord{});
    if (headerCount >= 0)
        builder.setHeaderCount(headerCount);
    builder.setHeaderMark(mark);
    const QByteArray image = builder.transferImage();
    QCOMPARE(image.size(), 192192);
    QCOMPARE(image[64], mark);
    QCOMPARE(image.mid(64 + 17, 8), expectedCount);
}

void TstDataloggerImageBuilder::samplesAreDeterministic() {
    const QByteArray a = sampleDatalogger(500, 7).transferImage();
    QCOMPARE(sampleDatalogger(500, 7).transferImage(), a);
    QVERIFY(sampleDatalogger(500, 8).transferImage() != a);
    QCOMPARE(sampleDatalogger(20000, 7).recordCount(), 10000);

    SampleDataloggerOptions options;
    options.leftPlusRightPercent = 100;
    options.visitorPercent = 100;
    for (const AccessRecord &record : generateSampleRecords(200, 3, options)) {
        QVERIFY(record.flags & kFlagLeftPlusRight);
        QVERIFY(record.flags & kFlagVisitor);
        QVERIFY(record.user < 200);
        QCOMPARE(record.right, 0u);
    }
    // Time stamps never go backwards, so samples look like a real log.
    const std::vector<AccessRecord> records = generateSampleRecords(300, 11);
    for (size_t i = 1; i < records.size(); ++i)
        QVERIFY(records[i].timestamp >= records[i - 1].timestamp);
}

QTEST_GUILESS_MAIN(TstDataloggerImageBuilder)
#include "tst_dataloggerimagebuilder.moc"
