#include "records/DataloggerMerge.h"

#include "common/ByteFields.h"
#include "common/ImageRecords.h"
#include "common/NumberedFileName.h"
#include "records/AccessRowBuilder.h"
#include "records/DataloggerImage.h"

#include <QFile>

#include <algorithm>

namespace nxa::records {

namespace {

// Reads header, spare, users and access blocks and inserts the new rows.
// The preamble, if any, has already been read.
void mergeRecords(DataloggerTable &table, RecordReader &source, int peripheralNumber,
                  const QString &wrongFormatText, MergeResult &result) {
    const ImageRecord header = source.next();
    if (header[kHeaderMarkOffset] != kHeaderMark) {
        result.notices.append({QStringLiteral("Error"), wrongFormatText, NoticeIcon::Error});
        return;
    }
    result.imageAccepted = true;
    const int count = headerRecordCount(QByteArrayView(header.data(), kRecordSize));
    result.headerCount = count;
    const char recognitionType = header[kHeaderRecognitionOffset];
    source.skip(kSpareRecordCount);

    QByteArray userRecords(qsizetype(kUserRecordCount) * kRecordSize, Qt::Uninitialized);
    source.read(userRecords.data(), kUserRecordCount);
    AccessRowBuilder builder(recognitionType, peripheralNumber);
    builder.setUserRecords(userRecords);

    const int before = table.rowCount();
    int taken = 0;
    for (int block = 0; block < kAccessBlockCount && taken < count; ++block) {
        const ImageRecord record = source.next();
        for (int i = 0; i < kAccessRecordsPerBlock && taken < count; ++i, ++taken) {
            if (!builder.build(
                    QByteArrayView(record.data() + i * kAccessRecordSize, kAccessRecordSize)))
                continue;
            const CellViews &cells = builder.cellViews();
            if (!table.isDuplicate(cells))
                table.insertAtTop(cells, &builder.recordBytes());
        }
    }
    result.added = table.rowCount() - before;
}

} // namespace

// The count is taken digit by digit without checking that the bytes are
// digits (a stray byte changes the count rather than failing the import); it
// is then kept within what the image can hold, 0 to 10,000.
int headerRecordCount(QByteArrayView header) {
    qint64 value = 0;
    for (int i = 0; i < kHeaderCountDigits; ++i) {
        const int at = kHeaderCountOffset + i;
        const quint8 byte = at < header.size() ? static_cast<quint8>(header[at]) : 0;
        value = value * 10 + (byte - 0x30);
    }
    return static_cast<int>(std::clamp<qint64>(value, 0, kMaxAccessRecords));
}

std::optional<int> logFilePeripheralNumber(const QString &path) {
    return numberedFileName(path, u"LOG", u".BRL");
}

std::optional<Notice> applyLogFileNameRule(DataloggerTable &table, const QString &path) {
    if (const std::optional<int> number = logFilePeripheralNumber(path)) {
        table.setPeripheralNumber(*number);
        return std::nullopt;
    }
    table.setPeripheralNumber(1);
    return Notice{QStringLiteral("WARNING"),
                  QStringLiteral("Not standard filename\n(Not like LOGXX.BRL where XX is the "
                                 "Peripheral number)\n\nThe Peripheral number is set To 1, "
                                 "because it can't be read from the filename"),
                  NoticeIcon::Warning};
}

MergeResult mergeDataloggerFile(DataloggerTable &table, const QString &path) {
    QFile file(path);
    // An unopenable file is read as zeros, which the header check rejects.
    if (!file.open(QIODevice::ReadOnly))
        return mergeDataloggerFile(table, nullptr, path);
    return mergeDataloggerFile(table, &file, path);
}

MergeResult mergeDataloggerFile(DataloggerTable &table, QIODevice *device,
                                const QString &fileName) {
    MergeResult result;
    if (std::optional<Notice> warning = applyLogFileNameRule(table, fileName))
        result.notices.append(*warning);
    RecordReader source = RecordReader::fromFile(device);
    mergeRecords(table, source, table.peripheralNumber(), QStringLiteral("Wrong file format"),
                 result);
    return result;
}

MergeResult mergeDataloggerImage(DataloggerTable &table, QByteArrayView transferImage) {
    MergeResult result;
    RecordReader source = RecordReader::fromTransfer(transferImage);
    const ImageRecord preamble = source.next();
    const int peripheralNumber = static_cast<quint8>(preamble[kPreamblePeripheralOffset]);
    result.transferPeripheralNumber = peripheralNumber;
    mergeRecords(table, source, peripheralNumber, QStringLiteral("Wrong data format"), result);
    return result;
}

Notice mergeCountNotice(int added) {
    return {QStringLiteral("Records added successfully"),
            added > 0 ? QStringLiteral("Added successfully ") + QString::number(added) +
                            QStringLiteral(" new records")
                      : QStringLiteral("No new records added."),
            NoticeIcon::Information};
}

QString downloadCountLine(int added) {
    return added > 0 ? QStringLiteral("Downloaded successfully ") + QString::number(added) +
                           QStringLiteral(" new records")
                     : QStringLiteral("No records downloaded: the datalogger of the Brontel NXA "
                                      "is empty");
}

} // namespace nxa::records
