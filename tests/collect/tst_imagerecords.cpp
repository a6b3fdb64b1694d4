// The collector's decoder against the manager's merge: the same records, in
// the same order, with byte for byte the cells the datalogger table holds.

#include "collect/DecodedImage.h"
#include "records/DataloggerMerge.h"
#include "samples/DataloggerImageBuilder.h"

#include <QDateTime>
#include <QHash>
#include <QTest>

using namespace nxa;
using records::AccessRecord;

namespace {

AccessRecord access(quint16 user, quint32 timestamp, quint8 flags = records::kFlagPass) {
    AccessRecord record;
    record.user = user;
    record.footwear = 1000u + user;
    record.right = 70000;
    record.wristStrap = 0xffffff;
    record.timestamp = timestamp;
    record.flags = flags;
    return record;
}

quint32 at(int year, int month, int day, int hour = 8, int minute = 0, int second = 0) {
    return AccessRecord::dosTimestamp(year, month, day, hour, minute, second);
}

QByteArray hiddenCell(QByteArrayView raw) {
    QByteArray text;
    for (const char byte : raw)
        text += QByteArray::number(static_cast<quint8>(byte)) + '-';
    return text;
}

} // namespace

class TstImageRecords : public QObject {
    Q_OBJECT

private slots:
    void decodesAsTheManagerMerges_data();
    void decodesAsTheManagerMerges();
};

void TstImageRecords::decodesAsTheManagerMerges_data() {
    QTest::addColumn<QByteArray>("image");
    const quint32 day = at(2025, 6, 2);
    const AccessRecord a = access(1, day), b = access(2, day);
    auto image = [](const std::vector<AccessRecord> &list, int headerCount = -1, char mark = 'R') {
        records::DataloggerImageBuilder builder;
        builder.setPeripheralNumber(37);
        builder.setUserName(1, "  Ada  ");
        builder.setUserName(2, "Jos\xE9 M\xFC"
                               "ller-Ст"); // Latin-1 and bytes above 0x7f
        builder.setUserName(3, QByteArray("Zero\0Byte", 9));
        builder.setUserName(999, "Last user with a long");
        builder.addRecords(list);
        builder.setHeaderCount(headerCount);
        builder.setHeaderMark(mark);
        return builder.transferImage();
    };
    const quint8 pass = records::kFlagPass;
    // clang-format off
    QTest::newRow("identical records")     << image({a, b, b, a, b});
    QTest::newRow("users above 999")       << image({a, access(1000, day), access(65535, day), access(999, day)});
    QTest::newRow("past the header count") << image({a, b, access(3, day), access(4, day)}, 2);
    QTest::newRow("count past records")    << image({a, b}, 9);
    QTest::newRow("invalid times")         << image({access(1, at(2025, 13, 2)), access(1, at(2025, 2, 30)),
                                                     access(1, at(2025, 1, 0)), access(1, at(2107, 1, 1, 31, 63, 62)),
                                                     access(1, 0), access(1, 0xffffffff)});
    QTest::newRow("non-ascii and visitors") << image({access(2, day), access(2, day, records::kFlagVisitor),
                                                      access(999, day, records::kFlagVisitor | pass),
                                                      access(3, day, records::kFlagVisitor), access(500, day)});
    QTest::newRow("left+right footwear")   << image({access(1, day, records::kFlagLeftPlusRight | pass),
                                                     access(2, day, records::kFlagLeftPlusRight | records::kFlagKeyboard),
                                                     access(3, day, 0xff)});
    QTest::newRow("without its mark")      << image({a, b}, -1, 'X');
    // clang-format on
    records::SampleDataloggerOptions options;
    options.userCount = 1000;
    options.nonAsciiNames = true;
    options.recognitionType = 'X';
    QTest::newRow("full sample") << records::sampleDatalogger(10000, 11, options).transferImage();
}

void TstImageRecords::decodesAsTheManagerMerges() {
    QFETCH(QByteArray, image);
    records::DataloggerTable table;
    const records::MergeResult merged = records::mergeDataloggerImage(table, image);
    const collect::DecodedImage decoded = collect::decodeImage(image);
    QCOMPARE(decoded.accepted(), merged.imageAccepted);
    QCOMPARE(decoded.headerCount(), merged.headerCount);
    QCOMPARE(decoded.size(), table.rowCount());
    collect::RecordValuesReader reader(decoded);
    QHash<QByteArray, int> seen;
    for (int i = 0; i < decoded.size(); ++i) {
        // The merge puts each new row on top, so the image's first record is last.
        const int row = table.rowCount() - 1 - i;
        const collect::RecordValues &values = reader.read(i);
        for (int c = 0; c < records::kKeyColumnCount; ++c)
            QCOMPARE(values.cells[static_cast<size_t>(c)].toByteArray(),
                     table.cell(row, c).toUtf8());
        QCOMPARE(hiddenCell(values.raw), table.cell(row, records::kRecordColumn).toUtf8());
        QCOMPARE(values.seq, i);
        QCOMPARE(values.occurrence, seen[values.raw.toByteArray()]++);
        QCOMPARE(values.user, table.cell(row, records::kColumnId).toInt());
        const QByteArray shown = values.cells[records::kColumnDate].toByteArray() + ' ' +
                                 values.cells[records::kColumnTime].toByteArray();
        const bool valid =
            QDateTime::fromString(QString::fromLatin1(shown), QStringLiteral("yyyy-MM-dd hh:mm:ss"))
                .isValid();
        QCOMPARE(values.localTime.toByteArray(), valid ? shown : QByteArray());
    }
}

QTEST_GUILESS_MAIN(TstImageRecords)
#include "tst_imagerecords.moc"
