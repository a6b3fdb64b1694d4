#include "common/ImageRecords.h"
#include "records/DataloggerMerge.h"
#include "samples/DataloggerImageBuilder.h"
#include "support/TestFiles.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace nxa;
using namespace nxa::records;

namespace {

const Notice kNameWarning{
    QStringLiteral("WARNING"),
    QStringLiteral("Not standard filename\n(Not like LOGXX.BRL where XX is the Peripheral "
                   "number)\n\nThe Peripheral number is set To 1, because it can't be read from "
                   "the filename"),
    NoticeIcon::Warning};
const Notice kWrongFile{QStringLiteral("Error"), QStringLiteral("Wrong file format"),
                        NoticeIcon::Error};
const Notice kWrongData{QStringLiteral("Error"), QStringLiteral("Wrong data format"),
                        NoticeIcon::Error};

AccessRecord record(quint16 user, quint32 footwear, int minute, quint8 flags = kFlagPass) {
    AccessRecord r;
    r.user = user;
    r.footwear = footwear;
    r.right = footwear + 1;
    r.wristStrap = 250;
    r.timestamp = AccessRecord::dosTimestamp(2021, 6, 15, 8, minute, 0);
    r.flags = flags;
    return r;
}

DataloggerImageBuilder threeRecords() {
    DataloggerImageBuilder builder;
    builder.setPeripheralNumber(9);
    builder.setUserName(1, "Alice");
    builder.setUserName(2, "Bob");
    builder.addRecord(record(1, 100, 1));
    builder.addRecord(record(2, 200, 2));
    builder.addRecord(record(1, 300, 3));
    return builder;
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes) {
    const QString path = dir.filePath(name);
    return test::writeFile(path, bytes) ? path : QString();
}

QStringList column(const DataloggerTable &table, int c) {
    QStringList texts;
    for (int r = 0; r < table.rowCount(); ++r)
        texts << table.cell(r, c);
    return texts;
}

} // namespace

class TstDataloggerMerge : public QObject {
    Q_OBJECT

private slots:
    void mergesTransferImageNewestOnTop();
    void skipsDuplicatesOfTheSnapshotOnly();
    void readsHeaderCount_data();
    void readsHeaderCount();
    void rejectsImageWithoutMark();
    void appliesLogFileNameRule_data();
    void appliesLogFileNameRule();
    void survivesBrokenFiles_data();
    void survivesBrokenFiles();
    void readsHandWrittenFixtures();
    void ignoresLineEndBytesAndExtraBytes();
    void readsUserRecordsUpToTheEnd_data();
    void readsUserRecordsUpToTheEnd();
    void reportsCounts_data();
    void reportsCounts();

private:
    QTemporaryDir m_dir;
};

void TstDataloggerMerge::mergesTransferImageNewestOnTop() {
    DataloggerTable table;
    table.setPeripheralNumber(4);
    Row old;
    old[kColumnName] = QStringLiteral("old row");
    table.insertAtTop(old);

    const MergeResult result = mergeDataloggerImage(table, threeRecords().transferImage());
    QVERIFY(result.imageAccepted);
    QCOMPARE(result.added, 3);
    QVERIFY(result.notices.isEmpty());
    QCOMPARE(result.transferPeripheralNumber, std::optional<int>(9));
    // The download's own number fills the PN cells; the log file number stays.
    QCOMPARE(column(table, kColumnPn), (QStringList{"9", "9", "9", ""}));
    QCOMPARE(table.peripheralNumber(), 4);
    QCOMPARE(column(table, kColumnName), (QStringList{"Alice", "Bob", "Alice", "old row"}));
    QCOMPARE(column(table, kColumnLeft), (QStringList{"300", "200", "100", ""}));
    QCOMPARE(column(table, kColumnTime), (QStringList{"08:03:00", "08:02:00", "08:01:00", ""}));

    // Preamble byte 0 is taken as received, even outside 1 to 100.
    DataloggerImageBuilder builder = threeRecords();
    builder.setPeripheralNumber(200);
    DataloggerTable other;
    QCOMPARE(mergeDataloggerImage(other, builder.transferImage()).transferPeripheralNumber,
             std::optional<int>(200));
    QCOMPARE(other.cell(0, kColumnPn), QStringLiteral("200"));
}

void TstDataloggerMerge::skipsDuplicatesOfTheSnapshotOnly() {
    DataloggerImageBuilder builder = threeRecords();
    // Two identical records in one image both become rows.
    builder.addRecord(record(2, 999, 9));
    builder.addRecord(record(2, 999, 9));
    // User 1000 gives no row.
    builder.addRecord(record(1000, 5, 10));
    const QByteArray image = builder.transferImage();

    DataloggerTable table;
    table.rebuildDuplicateKeys();
    QCOMPARE(mergeDataloggerImage(table, image).added, 5);
    QCOMPARE(column(table, kColumnLeft).mid(0, 2), (QStringList{"999", "999"}));

    // The same datalogger again adds nothing.
    table.rebuildDuplicateKeys();
    QCOMPARE(mergeDataloggerImage(table, image).added, 0);
    QCOMPARE(table.rowCount(), 5);

    // A deleted row comes back with the next download.
    table.removeRow(4);
    table.rebuildDuplicateKeys();
    QCOMPARE(mergeDataloggerImage(table, image).added, 1);
    QCOMPARE(table.cell(0, kColumnLeft), QStringLiteral("100"));

    // A renamed user brings the older records back under the new name.
    builder.setUserName(1, "Alice B");
    table.rebuildDuplicateKeys();
    QCOMPARE(mergeDataloggerImage(table, builder.transferImage()).added, 2);
    QCOMPARE(table.cell(0, kColumnName), QStringLiteral("Alice B"));

    // A cleared key set lets everything in again.
    table.clearDuplicateKeys();
    QCOMPARE(mergeDataloggerImage(table, image).added, 5);
}

void TstDataloggerMerge::readsHeaderCount_data() {
    QTest::addColumn<int>("records");
    QTest::addColumn<QByteArray>("countBytes");
    QTest::addColumn<int>("expectedAdded");
    QTest::newRow("zero") << 5 << QByteArray("00000000") << 0;
    QTest::newRow("fewer than stored") << 5 << QByteArray("00000002") << 2;
    QTest::newRow("more than stored: zeros become user 0 rows") << 2 << QByteArray("00000004") << 4;
    QTest::newRow("above 10,000") << 10000 << QByteArray("99999999") << 10000;
    QTest::newRow("exactly 10,000") << 10000 << QByteArray("00010000") << 10000;
    // The digits are not checked: 'A' counts as 17, '/' as -1.
    QTest::newRow("letter counts as 17") << 30 << QByteArray("0000000A") << 17;
    QTest::newRow("below zero takes nothing") << 5 << QByteArray("0000000/") << 0;
    QTest::newRow("spaces") << 5 << QByteArray("        ") << 0;
}

void TstDataloggerMerge::readsHeaderCount() {
    QFETCH(int, records);
    QFETCH(QByteArray, countBytes);
    QFETCH(int, expectedAdded);

    DataloggerImageBuilder builder;
    // Distinct minutes and users keep every record distinct from the others.
    for (int i = 0; i < records; ++i)
        builder.addRecord(record(static_cast<quint16>(1 + i % 999), 1000 + quint32(i), i % 60));
    QByteArray image = builder.transferImage();
    image.replace(64 + 17, 8, countBytes);

    DataloggerTable table;
    const MergeResult result = mergeDataloggerImage(table, image);
    QVERIFY(result.imageAccepted);
    QCOMPARE(result.added, expectedAdded);
    QCOMPARE(table.rowCount(), expectedAdded);
    if (expectedAdded > records) {
        QCOMPARE(table.cell(0, kColumnId), QStringLiteral("0"));
        QCOMPARE(table.cell(0, kColumnDate), QStringLiteral("1980-00-00"));
    }
}

void TstDataloggerMerge::rejectsImageWithoutMark() {
    DataloggerImageBuilder builder = threeRecords();
    builder.setHeaderMark('r');
    DataloggerTable table;
    MergeResult result = mergeDataloggerImage(table, builder.transferImage());
    QVERIFY(!result.imageAccepted);
    QCOMPARE(result.added, 0);
    QCOMPARE(result.notices, Notices{kWrongData});
    // The preamble was read before the check and still counts.
    QCOMPARE(result.transferPeripheralNumber, std::optional<int>(9));

    const QString path = writeFile(m_dir, QStringLiteral("LOG12.BRL"), builder.fileImage());
    QVERIFY(!path.isEmpty());
    result = mergeDataloggerFile(table, path);
    QVERIFY(!result.imageAccepted);
    QCOMPARE(result.notices, Notices{kWrongFile});
    QCOMPARE(result.transferPeripheralNumber, std::nullopt);
    QCOMPARE(table.peripheralNumber(), 12);
    QCOMPARE(table.rowCount(), 0);
}

void TstDataloggerMerge::appliesLogFileNameRule_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("expectedNumber");
    QTest::addColumn<bool>("warned");
    QTest::newRow("LOG07.BRL") << QStringLiteral("LOG07.BRL") << 7 << false;
    QTest::newRow("LOG00.BRL") << QStringLiteral("LOG00.BRL") << 0 << false;
    QTest::newRow("LOG99.BRL") << QStringLiteral("LOG99.BRL") << 99 << false;
    QTest::newRow("log07.BRL") << QStringLiteral("log07.BRL") << 1 << true;
    QTest::newRow("LOG7.BRL") << QStringLiteral("LOG7.BRL") << 1 << true;
    QTest::newRow("LOG07.brl") << QStringLiteral("LOG07.brl") << 1 << true;
    QTest::newRow("LOG0A.BRL") << QStringLiteral("LOG0A.BRL") << 1 << true;
    QTest::newRow("LOG007.BRL") << QStringLiteral("LOG007.BRL") << 1 << true;
    QTest::newRow("arabic-indic digits") << QString::fromUtf8("LOG٠٧.BRL") << 1 << true;
}

void TstDataloggerMerge::appliesLogFileNameRule() {
    QFETCH(QString, name);
    QFETCH(int, expectedNumber);
    QFETCH(bool, warned);

    // The folder may look like anything; only the name counts.
    QTemporaryDir dir(m_dir.filePath(QStringLiteral("LOG55.BRL-XXXXXX")));
    const QString path = writeFile(dir, name, threeRecords().fileImage());
    QVERIFY(!path.isEmpty());

    DataloggerTable table;
    table.setPeripheralNumber(42);
    const MergeResult result = mergeDataloggerFile(table, path);
    QVERIFY(result.imageAccepted);
    QCOMPARE(result.added, 3);
    QCOMPARE(table.peripheralNumber(), expectedNumber);
    QCOMPARE(table.cell(0, kColumnPn), QString::number(expectedNumber));
    QCOMPARE(result.notices, warned ? Notices{kNameWarning} : Notices{});
    QCOMPARE(result.transferPeripheralNumber, std::nullopt);
}

void TstDataloggerMerge::survivesBrokenFiles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("expectedAdded");

    const QByteArray full = threeRecords().fileImage();
    QTest::newRow("empty") << QByteArray() << false << 0;
    QTest::newRow("one byte R") << QByteArray("R") << true << 0;
    // Cut inside the user records: names after the cut are empty, the
    // records read as zeros; the count of 3 still gives three rows.
    QTest::newRow("cut after the header") << full.left(66 + 10) << true << 3;
    QTest::newRow("cut inside the first access block") << full.left(502 * 66 + 20) << true << 3;
    QTest::newRow("oversized") << full + QByteArray(100000, 'x') << true << 3;

    // Random bytes: a fixed seed keeps the case repeatable.
    QByteArray noise(198132, '\0');
    quint32 state = 12345;
    for (char &c : noise) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
    }
    noise[0] = 'Q';
    QTest::newRow("random bytes") << noise << false << 0;
    noise[0] = 'R';
    noise.replace(17, 8, "00000500");
    QTest::newRow("random bytes with a mark") << noise << true << -1;
}

void TstDataloggerMerge::survivesBrokenFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, accepted);
    QFETCH(int, expectedAdded);

    const QString path = writeFile(m_dir, QStringLiteral("LOG21.BRL"), bytes);
    QVERIFY(!path.isEmpty());
    DataloggerTable table;
    const MergeResult result = mergeDataloggerFile(table, path);
    QCOMPARE(result.imageAccepted, accepted);
    QCOMPARE(result.notices, accepted ? Notices{} : Notices{kWrongFile});
    if (expectedAdded >= 0)
        QCOMPARE(result.added, expectedAdded);
    else
        QVERIFY(result.added <= 500);
    QCOMPARE(table.rowCount(), result.added);

    // The same bytes as a received image (with a preamble) behave alike.
    DataloggerTable received;
    const MergeResult fromLink = mergeDataloggerImage(received, QByteArray(64, '\x05') + bytes);
    QCOMPARE(fromLink.imageAccepted, accepted);
}

void TstDataloggerMerge::readsHandWrittenFixtures() {
    const QString fixtures = QStringLiteral(NXA_FIXTURES "/records/");

    // A header record and nothing else: two records of zeros.
    DataloggerTable table;
    MergeResult result = mergeDataloggerFile(table, fixtures + QStringLiteral("LOG03.BRL"));
    QVERIFY(result.imageAccepted);
    QVERIFY(result.notices.isEmpty());
    QCOMPARE(result.added, 2);
    const Row expected{"3",           "0",
                       "N",           "",
                       "0",           "0",
                       "0",           "",
                       "N",           "N",
                       "Fingerprint", "1980-00-00",
                       "00:00:00",    "0-0-0-0-0-0-0-0-0-0-0-0-0-0-0-0-"};
    QCOMPARE(table.row(0), expected);
    QCOMPARE(table.row(1), expected);

    result = mergeDataloggerFile(table, fixtures + QStringLiteral("WrongMark.BRL"));
    QCOMPARE(result.notices, (Notices{kNameWarning, kWrongFile}));
    QCOMPARE(table.peripheralNumber(), 1);

    result = mergeDataloggerFile(table, fixtures + QStringLiteral("Empty.BRL"));
    QCOMPARE(result.notices, (Notices{kNameWarning, kWrongFile}));

    // A file that cannot be opened reads as zeros.
    result = mergeDataloggerFile(table, fixtures + QStringLiteral("LOG77.BRL"));
    QCOMPARE(result.notices, Notices{kWrongFile});
    QCOMPARE(table.peripheralNumber(), 77);
    result = mergeDataloggerFile(table, fixtures);
    QVERIFY(!result.imageAccepted);
    QCOMPARE(table.rowCount(), 2);
}

void TstDataloggerMerge::ignoresLineEndBytesAndExtraBytes() {
    QByteArray file = threeRecords().fileImage();
    for (int r = 0; r < 3002; ++r)
        file.replace(r * 66 + 64, 2, "ZZ");
    QBuffer device(&file);
    QVERIFY(device.open(QIODevice::ReadOnly));
    DataloggerTable table;
    const MergeResult result = mergeDataloggerFile(table, &device, QStringLiteral("LOG09.BRL"));
    QCOMPARE(result.added, 3);
    QCOMPARE(table.cell(2, kColumnName), QStringLiteral("Alice"));

    // A short received image: everything after the first record reads as 0.
    DataloggerTable received;
    const MergeResult shortImage =
        mergeDataloggerImage(received, threeRecords().transferImage().left(503 * 64 + 16));
    QCOMPARE(shortImage.added, 3);
    QCOMPARE(received.cell(2, kColumnLeft), QStringLiteral("100"));
    QCOMPARE(received.cell(0, kColumnId), QStringLiteral("0"));
    QCOMPARE(received.cell(0, kColumnPn), QStringLiteral("9"));
}

void TstDataloggerMerge::readsUserRecordsUpToTheEnd_data() {
    // How many bytes of user record 0 (users 0 and 1) the image still holds;
    // every access record after it reads as zeros, a record of user 0.
    QTest::addColumn<int>("held");
    QTest::addColumn<QString>("name");
    QTest::newRow("the record and its line end") << 66 << QStringLiteral("Zero");
    QTest::newRow("the record without its line end") << 64 << QStringLiteral("Zero");
    QTest::newRow("two letters of the name") << 5 << QStringLiteral("Ze");
    QTest::newRow("nothing of the name") << 3 << QString();
}

void TstDataloggerMerge::readsUserRecordsUpToTheEnd() {
    QFETCH(int, held);
    QFETCH(QString, name);
    DataloggerImageBuilder image = threeRecords();
    image.setUserName(0, "Zero");
    const QStringList names(3, name);

    QByteArray file = image.fileImage().left(2 * kFileRecordSize + held);
    QBuffer device(&file);
    QVERIFY(device.open(QIODevice::ReadOnly));
    DataloggerTable fromFile;
    mergeDataloggerFile(fromFile, &device, QStringLiteral("LOG09.BRL"));
    QCOMPARE(column(fromFile, kColumnName), names);

    DataloggerTable received;
    mergeDataloggerImage(received,
                         image.transferImage().left(3 * kRecordSize + std::min(held, kRecordSize)));
    QCOMPARE(column(received, kColumnName), names);
}

void TstDataloggerMerge::reportsCounts_data() {
    QTest::addColumn<int>("added");
    QTest::addColumn<QString>("boxText");
    QTest::addColumn<QString>("line");
    QTest::newRow("none")
        << 0 << QStringLiteral("No new records added.")
        << QStringLiteral("No records downloaded: the datalogger of the Brontel NXA is empty");
    QTest::newRow("one") << 1 << QStringLiteral("Added successfully 1 new records")
                         << QStringLiteral("Downloaded successfully 1 new records");
    QTest::newRow("many") << 10000 << QStringLiteral("Added successfully 10000 new records")
                          << QStringLiteral("Downloaded successfully 10000 new records");
}

void TstDataloggerMerge::reportsCounts() {
    QFETCH(int, added);
    QFETCH(QString, boxText);
    QFETCH(QString, line);
    QCOMPARE(mergeCountNotice(added), (Notice{QStringLiteral("Records added successfully"), boxText,
                                              NoticeIcon::Information}));
    QCOMPARE(downloadCountLine(added), line);
}

QTEST_GUILESS_MAIN(TstDataloggerMerge)
#include "tst_dataloggermerge.moc"
