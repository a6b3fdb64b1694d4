#include "records/AccessRowBuilder.h"

#include "common/ByteFields.h"
#include "records/DataloggerImage.h"
#include "records/RecordText.h"
#include "records/TrimSpaces.h"

namespace nxa::records {

namespace {

// A visitor's name is cut to 12 characters after the parenthesis, which a
// long name loses.
constexpr qsizetype kVisitorNameLength = 12;

quint32 bigEndian(const RecordBytes &bytes, int offset, int size) {
    return readBigEndian(reinterpret_cast<const char *>(bytes.data()) + offset, size);
}

} // namespace

AccessRowBuilder::AccessRowBuilder(char recognitionType, int peripheralNumber)
    : m_recognitionType(recognitionType), m_peripheralNumber(std::to_string(peripheralNumber)),
      m_namePlace(kUserCount, 0) {}

void AccessRowBuilder::setUserRecords(QByteArrayView userRecords) {
    m_userRecords = userRecords;
    m_userNames = nullptr;
    forgetNames();
}

void AccessRowBuilder::setUserNames(const QStringList &names) {
    m_userNames = &names;
    m_userRecords = {};
    forgetNames();
}

QString AccessRowBuilder::userName(int user) const {
    if (m_userNames)
        return user < m_userNames->size() ? trimSpaces(m_userNames->at(user)) : QString();
    const qsizetype at = qsizetype(user) * kUserSlotSize + kUserNameOffset;
    const qsizetype length = std::min<qsizetype>(kUserNameLength, m_userRecords.size() - at);
    return length > 0 ? trimSpaces(textFromBytes(m_userRecords.sliced(at, length))) : QString();
}

void AccessRowBuilder::forgetNames() {
    std::fill(m_namePlace.begin(), m_namePlace.end(), quint16(0));
    m_names.clear();
    m_nameText.clear();
}

const AccessRowBuilder::NameForms &AccessRowBuilder::nameForms(int user) {
    quint16 &place = m_namePlace[static_cast<size_t>(user)];
    if (place != 0)
        return m_names[place - 1u];
    const QString name = userName(user);
    const auto add = [this](const QString &text) {
        const QByteArray utf8 = text.toUtf8();
        const Span span{quint32(m_nameText.size()), quint32(utf8.size())};
        m_nameText.append(utf8.constData(), static_cast<size_t>(utf8.size()));
        return span;
    };
    NameForms forms;
    forms.plain = add(name);
    forms.visitor =
        add(QStringLiteral("Visitor (") + (name + QLatin1Char(')')).left(kVisitorNameLength));
    m_names.push_back(forms);
    place = static_cast<quint16>(m_names.size());
    return m_names.back();
}

void AccessRowBuilder::appendNumber(quint32 value, int minDigits) {
    // Digits from the right into a local buffer, then one append: a character
    // at a time would check the string's room for each digit.
    char digits[10];
    char *const end = digits + sizeof digits;
    char *first = end;
    do {
        *--first = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (end - first < minDigits)
        *--first = '0';
    put(first, static_cast<size_t>(end - first));
}

bool AccessRowBuilder::build(QByteArrayView record) {
    static_assert(std::tuple_size_v<RecordBytes> == kAccessRecordSize);
    RecordBytes &bytes = m_bytes;
    bytes.fill(0);
    std::copy_n(record.data(), std::min<qsizetype>(record.size(), kAccessRecordSize),
                bytes.begin());
    m_viewsBuilt = false;
    const quint32 user = bigEndian(bytes, kUserOffset, 2);
    if (user > kMaxUserNumber)
        return false;
    const quint8 flags = bytes[kFlagsOffset];
    const bool visitor = flags & kFlagVisitor;
    const auto flag = [this](int column, bool set) {
        begin(column);
        put(set ? 'Y' : 'N');
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

    const NameForms &forms = nameForms(static_cast<int>(user));
    const Span name = visitor ? forms.visitor : forms.plain;
    // Every other cell is a number of at most 10 digits, a flag, a word of
    // the recognition or the 64 characters of the record: 256 bytes hold them.
    constexpr size_t kOtherCellsBytes = 256;
    const size_t room = kOtherCellsBytes + m_peripheralNumber.size() + name.length;
    if (m_text.size() < room)
        m_text.resize(room);
    m_out = m_text.data();

    begin(kColumnPn);
    put(m_peripheralNumber.data(), m_peripheralNumber.size());
    end(kColumnPn);
    number(kColumnId, user);
    flag(kColumnVisitor, visitor);
    begin(kColumnName);
    put(m_nameText.data() + name.start, name.length);
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
        put("Keyboard", 8);
    else if (m_recognitionType == kRecognitionFingerprint)
        put("Fingerprint", 11);
    end(kColumnRecognition);

    // The fields are shown as stored, so a stamp that is no valid date
    // (month 13, 62 seconds) still shows what the tester wrote.
    const quint32 stamp = bigEndian(bytes, kTimestampOffset, 4);
    begin(kColumnDate);
    appendNumber(kYearBase + ((stamp >> kYearShift) & kYearMask), 4);
    put('-');
    appendNumber((stamp >> kMonthShift) & kMonthMask, 2);
    put('-');
    appendNumber((stamp >> kDayShift) & kDayMask, 2);
    end(kColumnDate);
    begin(kColumnTime);
    appendNumber((stamp >> kHourShift) & kHourMask, 2);
    put(':');
    appendNumber((stamp >> kMinuteShift) & kMinuteMask, 2);
    put(':');
    appendNumber(2 * (stamp & kHalfSecondMask), 2);
    end(kColumnTime);

    begin(kRecordColumn);
    m_out = writeRecordText(m_out, bytes);
    end(kRecordColumn);
    return true;
}

const CellViews &AccessRowBuilder::cellViews() {
    if (m_viewsBuilt)
        return m_views;
    // UTF-16 never needs more units than UTF-8 has bytes; the buffer is sized
    // before any view into it is taken.
    if (m_wide.size() < written())
        m_wide.resize(std::max<size_t>(written(), 256));
    QChar *out = m_wide.data();
    for (int c = 0; c < kColumnCount; ++c) {
        QChar *const start = out;
        out = m_decoder.appendToBuffer(out, cell(c));
        m_views[static_cast<size_t>(c)] = QStringView(start, out - start);
    }
    m_viewsBuilt = true;
    return m_views;
}

Row AccessRowBuilder::row() {
    Row row;
    const CellViews &views = cellViews();
    for (size_t c = 0; c < views.size(); ++c)
        row[c] = views[c].toString();
    return row;
}

} // namespace nxa::records
