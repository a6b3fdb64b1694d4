#include "records/AccessRowBuilder.h"

#include "common/ByteFields.h"
#include "records/DataloggerImage.h"
#include "records/TrimSpaces.h"

namespace nxa::records {

namespace {

// A visitor's name is cut to 12 characters after the parenthesis, which a
// long name loses.
constexpr qsizetype kVisitorNameLength = 12;

quint32 bigEndian(const std::array<quint8, kAccessRecordSize> &bytes, int offset, int size) {
    return readBigEndian(reinterpret_cast<const char *>(bytes.data()) + offset, size);
}

} // namespace

AccessRowBuilder::AccessRowBuilder(char recognitionType, int peripheralNumber)
    : m_recognitionType(recognitionType), m_peripheralNumber(std::to_string(peripheralNumber)),
      m_named(kUserCount, false), m_names(kUserCount) {
    m_text.reserve(256);
}

void AccessRowBuilder::setUserRecords(QByteArrayView userRecords) {
    m_userRecords = userRecords;
    m_userNames = nullptr;
    m_named.assign(kUserCount, false);
}

void AccessRowBuilder::setUserNames(const QStringList &names) {
    m_userNames = &names;
    m_userRecords = {};
    m_named.assign(kUserCount, false);
}

QString AccessRowBuilder::userName(int user) const {
    if (m_userNames)
        return user < m_userNames->size() ? trimSpaces(m_userNames->at(user)) : QString();
    const qsizetype at = qsizetype(user) * kUserSlotSize + kUserNameOffset;
    const qsizetype length = std::min<qsizetype>(kUserNameLength, m_userRecords.size() - at);
    return length > 0 ? trimSpaces(textFromBytes(m_userRecords.sliced(at, length))) : QString();
}

const AccessRowBuilder::NameForms &AccessRowBuilder::nameForms(int user) {
    NameForms &forms = m_names[static_cast<size_t>(user)];
    if (m_named[static_cast<size_t>(user)])
        return forms;
    const QString name = userName(user);
    const auto add = [this](const QString &text) {
        const QByteArray utf8 = text.toUtf8();
        const Span span{quint32(m_nameText.size()), quint32(utf8.size())};
        m_nameText.append(utf8.constData(), static_cast<size_t>(utf8.size()));
        return span;
    };
    forms.plain = add(name);
    forms.visitor =
        add(QStringLiteral("Visitor (") + (name + QLatin1Char(')')).left(kVisitorNameLength));
    m_named[static_cast<size_t>(user)] = true;
    return forms;
}

void AccessRowBuilder::appendNumber(quint32 value, int minDigits) {
    char digits[10];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n < minDigits)
        digits[n++] = '0';
    while (n > 0)
        m_text += digits[--n];
}

bool AccessRowBuilder::build(QByteArrayView record) {
    std::array<quint8, kAccessRecordSize> bytes{};
    for (qsizetype i = 0; i < record.size() && i < kAccessRecordSize; ++i)
        bytes[static_cast<size_t>(i)] = static_cast<quint8>(record[i]);
    const quint32 user = bigEndian(bytes, kUserOffset, 2);
    if (user > kMaxUserNumber)
        return false;
    const quint8 flags = bytes[kFlagsOffset];
    const bool visitor = flags & kFlagVisitor;
    const auto flag = [this](int column, bool set) {
        begin(column);
        m_text += set ? 'Y' : 'N';
        end(column);
    };
    const auto number = [this](int column, quint32 value) {
        begin(column);
        appendNumber(value);
        end(column);
    };
    const auto empty = [this](int column) {
        begin(column);
        end(column);
    };

    m_text.clear();
    begin(kColumnPn);
    m_text += m_peripheralNumber;
    end(kColumnPn);
    number(kColumnId, user);
    flag(kColumnVisitor, visitor);

    const NameForms &forms = nameForms(static_cast<int>(user));
    const Span name = visitor ? forms.visitor : forms.plain;
    begin(kColumnName);
    m_text.append(m_nameText, name.start, name.length);
    end(kColumnName);

    const quint32 footwear = bigEndian(bytes, kFootwearOffset, 3);
    if (flags & kFlagLeftPlusRight) {
        empty(kColumnWristStrap);
        empty(kColumnLeft);
        empty(kColumnRight);
        number(kColumnLeftRight, footwear);
    } else {
        number(kColumnWristStrap, bigEndian(bytes, kWristStrapOffset, 3));
        number(kColumnLeft, footwear);
        number(kColumnRight, bigEndian(bytes, kRightOffset, 3));
        empty(kColumnLeftRight);
    }
    flag(kColumnPass, flags & kFlagPass);
    flag(kColumnRelay, flags & kFlagRelay);
    begin(kColumnRecognition);
    if (flags & kFlagKeyboard)
        m_text += "Keyboard";
    else if (m_recognitionType == kRecognitionFingerprint)
        m_text += "Fingerprint";
    end(kColumnRecognition);

    // The fields are shown as stored, so a stamp that is no valid date
    // (month 13, 62 seconds) still shows what the tester wrote.
    const quint32 stamp = bigEndian(bytes, kTimestampOffset, 4);
    begin(kColumnDate);
    appendNumber(kYearBase + ((stamp >> kYearShift) & kYearMask), 4);
    m_text += '-';
    appendNumber((stamp >> kMonthShift) & kMonthMask, 2);
    m_text += '-';
    appendNumber((stamp >> kDayShift) & kDayMask, 2);
    end(kColumnDate);
    begin(kColumnTime);
    appendNumber((stamp >> kHourShift) & kHourMask, 2);
    m_text += ':';
    appendNumber((stamp >> kMinuteShift) & kMinuteMask, 2);
    m_text += ':';
    appendNumber(2 * (stamp & kHalfSecondMask), 2);
    end(kColumnTime);

    begin(kRecordColumn);
    for (const quint8 byte : bytes) {
        appendNumber(byte);
        m_text += '-';
    }
    end(kRecordColumn);
    return true;
}

Row AccessRowBuilder::row() const {
    Row row;
    for (int c = 0; c < kColumnCount; ++c) {
        const QByteArrayView text = cell(c);
        if (!text.isEmpty())
            row[static_cast<size_t>(c)] = QString::fromUtf8(text);
    }
    return row;
}

} // namespace nxa::records
