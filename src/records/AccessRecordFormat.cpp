#include "records/AccessRecordFormat.h"

#include "records/DataloggerImage.h"
#include "records/TrimSpaces.h"

#include <array>

namespace nxa::records {

namespace {

quint32 bigEndian(const std::array<quint8, kAccessRecordSize> &bytes, int offset, int size) {
    quint32 value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | bytes[static_cast<size_t>(offset + i)];
    return value;
}

QString twoDigits(quint32 value) {
    return QString::number(value).rightJustified(2, QLatin1Char('0'));
}

QString yesNo(bool set) { return set ? QStringLiteral("Y") : QStringLiteral("N"); }

} // namespace

QString userNameFromBytes(QByteArrayView nameField) {
    QString name;
    name.reserve(nameField.size());
    for (char byte : nameField) {
        if (byte != '\0')
            name += QChar(static_cast<char16_t>(static_cast<quint8>(byte)));
    }
    return name;
}

QString formatRecordDate(quint32 timestamp) {
    const quint32 year = kYearBase + ((timestamp >> kYearShift) & kYearMask);
    return QString::number(year) + QLatin1Char('-') +
           twoDigits((timestamp >> kMonthShift) & kMonthMask) + QLatin1Char('-') +
           twoDigits((timestamp >> kDayShift) & kDayMask);
}

QString formatRecordTime(quint32 timestamp) {
    return twoDigits((timestamp >> kHourShift) & kHourMask) + QLatin1Char(':') +
           twoDigits((timestamp >> kMinuteShift) & kMinuteMask) + QLatin1Char(':') +
           twoDigits(2 * (timestamp & kHalfSecondMask));
}

std::optional<Row> formatAccessRecord(QByteArrayView record, const QStringList &userNames,
                                      char recognitionType, int peripheralNumber) {
    std::array<quint8, kAccessRecordSize> bytes{};
    for (qsizetype i = 0; i < record.size() && i < kAccessRecordSize; ++i)
        bytes[static_cast<size_t>(i)] = static_cast<quint8>(record[i]);

    const quint32 user = bigEndian(bytes, kUserOffset, 2);
    if (user > kMaxUserNumber)
        return std::nullopt;
    const quint8 flags = bytes[kFlagsOffset];
    const bool visitor = flags & kFlagVisitor;

    Row row;
    row[kColumnPn] = QString::number(peripheralNumber);
    row[kColumnId] = QString::number(user);
    row[kColumnVisitor] = yesNo(visitor);

    const QString name =
        static_cast<qsizetype>(user) < userNames.size() ? trimSpaces(userNames[user]) : QString();
    // A visitor's name is cut to 12 characters after the parenthesis, which a
    // long name loses.
    row[kColumnName] = visitor ? QStringLiteral("Visitor (") + (name + QLatin1Char(')')).left(12)
                               : name;

    const quint32 footwear = bigEndian(bytes, kFootwearOffset, 3);
    if (flags & kFlagLeftPlusRight) {
        row[kColumnLeftRight] = QString::number(footwear);
    } else {
        row[kColumnWristStrap] = QString::number(bigEndian(bytes, kWristStrapOffset, 3));
        row[kColumnLeft] = QString::number(footwear);
        row[kColumnRight] = QString::number(bigEndian(bytes, kRightOffset, 3));
    }
    row[kColumnPass] = yesNo(flags & kFlagPass);
    row[kColumnRelay] = yesNo(flags & kFlagRelay);
    if (flags & kFlagKeyboard)
        row[kColumnRecognition] = QStringLiteral("Keyboard");
    else if (recognitionType == kRecognitionFingerprint)
        row[kColumnRecognition] = QStringLiteral("Fingerprint");

    const quint32 timestamp = bigEndian(bytes, kTimestampOffset, 4);
    row[kColumnDate] = formatRecordDate(timestamp);
    row[kColumnTime] = formatRecordTime(timestamp);

    QString raw;
    raw.reserve(kAccessRecordSize * 4);
    for (quint8 byte : bytes) {
        raw += QString::number(byte);
        raw += QLatin1Char('-');
    }
    row[kRecordColumn] = raw;
    return row;
}

} // namespace nxa::records
