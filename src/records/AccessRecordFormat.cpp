#include "records/AccessRecordFormat.h"

#include "common/ByteFields.h"
#include "records/DataloggerImage.h"
#include "records/TrimSpaces.h"

#include <array>

namespace nxa::records {

namespace {

quint32 bigEndian(const std::array<quint8, kAccessRecordSize> &bytes, int offset, int size) {
    return readBigEndian(reinterpret_cast<const char *>(bytes.data()) + offset, size);
}

// Appends value in decimal; at least minDigits digits, with leading zeros.
void appendNumber(QString &out, quint32 value, int minDigits = 1) {
    char16_t digits[10];
    int n = 0;
    do {
        digits[n++] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n < minDigits)
        digits[n++] = u'0';
    while (n > 0)
        out += QChar(digits[--n]);
}

QString number(quint32 value) {
    QString text;
    appendNumber(text, value);
    return text;
}

QString yesNo(bool set) {
    return set ? QStringLiteral("Y") : QStringLiteral("N");
}

} // namespace

QString formatRecordDate(quint32 timestamp) {
    QString date;
    date.reserve(10);
    appendNumber(date, kYearBase + ((timestamp >> kYearShift) & kYearMask), 4);
    date += QLatin1Char('-');
    appendNumber(date, (timestamp >> kMonthShift) & kMonthMask, 2);
    date += QLatin1Char('-');
    appendNumber(date, (timestamp >> kDayShift) & kDayMask, 2);
    return date;
}

QString formatRecordTime(quint32 timestamp) {
    QString time;
    time.reserve(8);
    appendNumber(time, (timestamp >> kHourShift) & kHourMask, 2);
    time += QLatin1Char(':');
    appendNumber(time, (timestamp >> kMinuteShift) & kMinuteMask, 2);
    time += QLatin1Char(':');
    appendNumber(time, 2 * (timestamp & kHalfSecondMask), 2);
    return time;
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
    row[kColumnId] = number(user);
    row[kColumnVisitor] = yesNo(visitor);

    const QString name =
        static_cast<qsizetype>(user) < userNames.size() ? trimSpaces(userNames[user]) : QString();
    // A visitor's name is cut to 12 characters after the parenthesis, which a
    // long name loses.
    row[kColumnName] =
        visitor ? QStringLiteral("Visitor (") + (name + QLatin1Char(')')).left(12) : name;

    const quint32 footwear = bigEndian(bytes, kFootwearOffset, 3);
    if (flags & kFlagLeftPlusRight) {
        row[kColumnLeftRight] = number(footwear);
    } else {
        row[kColumnWristStrap] = number(bigEndian(bytes, kWristStrapOffset, 3));
        row[kColumnLeft] = number(footwear);
        row[kColumnRight] = number(bigEndian(bytes, kRightOffset, 3));
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

    row[kRecordColumn] = recordCellText(
        QByteArrayView(reinterpret_cast<const char *>(bytes.data()), kAccessRecordSize));
    return row;
}

QString recordCellText(QByteArrayView record) {
    QString text;
    text.reserve(kAccessRecordSize * 4);
    for (qsizetype i = 0; i < kAccessRecordSize; ++i) {
        appendNumber(text, i < record.size() ? static_cast<quint8>(record[i]) : 0u);
        text += QLatin1Char('-');
    }
    return text;
}

QByteArray recordCellBytes(QStringView cell) {
    QByteArray bytes;
    bytes.reserve(kAccessRecordSize);
    int value = -1;
    for (const QChar c : cell) {
        if (c == QLatin1Char('-') && value >= 0) {
            bytes.append(static_cast<char>(value));
            value = -1;
        } else if (c.isDigit() && c.unicode() < 0x80) {
            value = (value < 0 ? 0 : value * 10) + (c.unicode() - u'0');
            if (value > 255)
                return {};
        } else {
            return {};
        }
    }
    if (value >= 0 || bytes.size() != kAccessRecordSize)
        return {};
    return bytes;
}

} // namespace nxa::records
