#include "collect/ImageRecords.h"

#include "common/ByteFields.h"
#include "records/AccessRecordFormat.h"
#include "records/DataloggerImage.h"
#include "records/DataloggerMerge.h"

#include <QDate>
#include <QHash>
#include <QTime>

namespace nxa::collect {

namespace {

constexpr int kResistanceBytes = 3;
constexpr int kTimestampBytes = 4;
constexpr int kUserBytes = 2;

int field(QByteArrayView record, int offset, int size) {
    return static_cast<int>(readBigEndian(record.data() + offset, size));
}

} // namespace

TypedAccess typedAccess(QByteArrayView record) {
    using namespace records;
    TypedAccess typed;
    if (record.size() < kAccessRecordSize)
        return typed;
    const quint8 flags = static_cast<quint8>(record[kFlagsOffset]);
    typed.user = field(record, kUserOffset, kUserBytes);
    typed.visitor = flags & kFlagVisitor;
    typed.pass = flags & kFlagPass;
    typed.relay = flags & kFlagRelay;
    typed.keyboard = flags & kFlagKeyboard;
    if (flags & kFlagLeftPlusRight) {
        typed.leftRight = field(record, kFootwearOffset, kResistanceBytes);
    } else {
        typed.wristStrap = field(record, kWristStrapOffset, kResistanceBytes);
        typed.left = field(record, kFootwearOffset, kResistanceBytes);
        typed.right = field(record, kRightOffset, kResistanceBytes);
    }
    const quint32 stamp = readBigEndian(record.data() + kTimestampOffset, kTimestampBytes);
    const QDate date(kYearBase + static_cast<int>((stamp >> kYearShift) & kYearMask),
                     static_cast<int>((stamp >> kMonthShift) & kMonthMask),
                     static_cast<int>((stamp >> kDayShift) & kDayMask));
    const int hour = static_cast<int>((stamp >> kHourShift) & kHourMask);
    const int minute = static_cast<int>((stamp >> kMinuteShift) & kMinuteMask);
    const int second = 2 * static_cast<int>(stamp & kHalfSecondMask);
    if (date.isValid() && QTime::isValid(hour, minute, second)) {
        // Formatted by hand: a format string would be parsed again for each
        // of a million records.
        char text[] = "yyyy-mm-dd hh:mm:ss";
        const auto put = [&text](int at, int value, int digits) {
            for (int i = digits - 1; i >= 0; --i, value /= 10)
                text[at + i] = static_cast<char>('0' + value % 10);
        };
        put(0, date.year(), 4);
        put(5, date.month(), 2);
        put(8, date.day(), 2);
        put(11, hour, 2);
        put(14, minute, 2);
        put(17, second, 2);
        typed.localTime = QString::fromLatin1(text);
        typed.localDate = typed.localTime.left(10);
    }
    return typed;
}

DecodedImage decodeImage(QByteArrayView transferImage) {
    DecodedImage decoded;
    records::DataloggerTable table;
    table.clearDuplicateKeys();
    const records::MergeResult merge = records::mergeDataloggerImage(table, transferImage);
    decoded.accepted = merge.imageAccepted;
    decoded.headerCount = merge.headerCount;
    if (!merge.imageAccepted)
        return decoded;

    const int rows = table.rowCount();
    decoded.records.reserve(static_cast<size_t>(rows));
    QHash<QByteArray, int> seen;
    seen.reserve(rows);
    // The merge puts each new row on top, so the image's first record is last.
    for (int r = rows - 1; r >= 0; --r) {
        ArchivedRecord record;
        record.row = table.row(r);
        record.raw = records::recordCellBytes(record.row[records::kRecordColumn]);
        record.seq = rows - 1 - r;
        record.occurrence = seen[record.raw]++;
        record.typed = typedAccess(record.raw);
        decoded.records.push_back(std::move(record));
    }
    return decoded;
}

} // namespace nxa::collect
