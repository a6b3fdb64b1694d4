// The datalogger merge fed any bytes, as a log file (first byte "F") or as a
// received image (any other first byte). The rows must be the ones the input
// holds: their number is worked out from the input's bytes here, without the
// decoder, and a few rows are compared cell by cell with the bytes of their
// record and user. A second merge of the same image into the table it filled
// adds nothing.
//
// The input holds the image's records in another order: the leading records
// (preamble, header, spare), the first user records (users 0 to 15), the
// access-record blocks, then the other user records. Short inputs thus reach
// names and access records, which stand behind 32,000 bytes of user records
// in the image. What the input lacks reads as
// 0xFF, a user number no record has, and a header count above the records
// the input holds is brought down to them: zeros would make every missing
// record a valid one of user 0, and the search would spend itself on 10,000
// identical rows instead of on the decoder. A name the input lacks is made
// of the user's number and bytes of the input, so every user has a name of
// its own and a row that shows another user's name is seen.

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "records/DataloggerImage.h"
#include "records/DataloggerMerge.h"
#include "records/DataloggerTable.h"

#include <QBuffer>
#include <QByteArray>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <vector>

namespace {

using namespace nxa::records;

constexpr char kMissing = '\xff';
constexpr qsizetype kEarlyUserRecords = 8;

struct Layout {
    qsizetype record;  // bytes per record in the form
    qsizetype leading; // records before the users
    qsizetype offset;  // of the header record
};

Layout layoutOf(bool fileForm) {
    const qsizetype leading =
        (fileForm ? 0 : kPreambleRecordCount) + kHeaderRecordCount + kSpareRecordCount;
    return {fileForm ? kFileRecordSize : kRecordSize, leading,
            (fileForm ? 0 : kPreambleRecordCount) * (fileForm ? kFileRecordSize : kRecordSize)};
}

// Where the input holds the name bytes of user `user`: the first user
// records follow the leading ones, the others follow the access blocks.
qsizetype nameOffsetInInput(const Layout &layout, int user) {
    const qsizetype userRecord = user / kUsersPerRecord;
    const qsizetype record = userRecord < kEarlyUserRecords
                                 ? layout.leading + userRecord
                                 : layout.leading + kAccessBlockCount + userRecord;
    return record * layout.record + (user % kUsersPerRecord) * kUserSlotSize + kUserNameOffset;
}

void giveMissingNames(QByteArray &image, const QByteArray &input, const Layout &layout) {
    for (int user = 0; user <= kMaxUserNumber; ++user) {
        const qsizetype from = nameOffsetInInput(layout, user);
        if (from + kUserNameLength <= input.size())
            continue;
        char *name = image.data() + (layout.leading + user / kUsersPerRecord) * layout.record +
                     (user % kUsersPerRecord) * kUserSlotSize + kUserNameOffset;
        std::array<char, 8> number = {};
        const auto digits = std::to_chars(number.begin(), number.end(), user).ptr - number.begin();
        for (qsizetype i = std::max<qsizetype>(0, input.size() - from); i < kUserNameLength; ++i) {
            if (i < digits)
                name[i] = number[static_cast<size_t>(i)];
            else
                name[i] =
                    input.isEmpty() ? 'n' : input[(user * kUserNameLength + i) % input.size()];
        }
    }
}

// One image for every execution: a fresh 200 KB each time would cost more
// in page faults than the merge it feeds.
QByteArray &imageOf(const QByteArray &input, const Layout &layout) {
    static QByteArray image;
    const qsizetype record = layout.record;
    const qsizetype users = kUserRecordCount;
    const qsizetype blocks = kAccessBlockCount;
    image.fill(kMissing, (layout.leading + users + blocks) * record);
    const auto place = [&](qsizetype from, qsizetype count, qsizetype to) {
        const qsizetype bytes = std::min(count * record, input.size() - from * record);
        if (bytes > 0)
            std::copy_n(input.constData() + from * record, bytes, image.data() + to * record);
    };
    const qsizetype early = kEarlyUserRecords;
    place(0, layout.leading, 0);
    place(layout.leading, early, layout.leading);
    place(layout.leading + early, blocks, layout.leading + users);
    place(layout.leading + early + blocks, users - early, layout.leading + early);
    giveMissingNames(image, input, layout);
    return image;
}

// The access records that hold at least one byte of the input.
int recordsInInput(const QByteArray &input, const Layout &layout) {
    const qsizetype bytes = input.size() - (layout.leading + kEarlyUserRecords) * layout.record;
    if (bytes <= 0)
        return 0;
    const qsizetype full = bytes / layout.record;
    const qsizetype rest = std::min<qsizetype>(bytes % layout.record, kRecordSize);
    const qsizetype records =
        full * kAccessRecordsPerBlock + (rest + kAccessRecordSize - 1) / kAccessRecordSize;
    return static_cast<int>(std::min<qsizetype>(records, kMaxAccessRecords));
}

qint64 countOf(const QByteArray &image, qsizetype header) {
    qint64 value = 0;
    for (int i = 0; i < kHeaderCountDigits; ++i)
        value = value * 10 + (static_cast<quint8>(image[header + kHeaderCountOffset + i]) - 0x30);
    return value;
}

void writeCount(QByteArray &image, qsizetype header, int count) {
    const QByteArray digits = QByteArray::number(count).rightJustified(kHeaderCountDigits, '0');
    std::copy_n(digits.constData(), kHeaderCountDigits, image.data() + header + kHeaderCountOffset);
}

const char *accessRecord(const QByteArray &image, const Layout &layout, int n) {
    const qsizetype block = layout.leading + kUserRecordCount + n / kAccessRecordsPerBlock;
    return image.constData() + block * layout.record + (n % kAccessRecordsPerBlock) * 16;
}

int userOf(const char *record) {
    return (static_cast<quint8>(record[0]) << 8) | static_cast<quint8>(record[1]);
}

QString nameOf(const QByteArray &image, const Layout &layout, int user) {
    const char *slot = image.constData() + (layout.leading + user / 2) * layout.record +
                       (user % 2) * kUserSlotSize + kUserNameOffset;
    QString name;
    name.reserve(kUserNameLength);
    for (int i = 0; i < kUserNameLength; ++i)
        if (slot[i] != 0)
            name += QChar(static_cast<quint8>(slot[i]));
    qsizetype from = 0;
    qsizetype to = name.size();
    while (from < to && name.at(from) == QLatin1Char(' '))
        ++from;
    while (to > from && name.at(to - 1) == QLatin1Char(' '))
        --to;
    return name.mid(from, to - from);
}

// Written into a buffer: a string per byte would cost the search more than
// the merge it checks.
struct HiddenCell {
    std::array<char, 4 * kAccessRecordSize> text;
    qsizetype length = 0;
    QLatin1StringView view() const { return QLatin1StringView(text.data(), length); }
};

HiddenCell hiddenCellOf(const char *record) {
    HiddenCell cell;
    char *out = cell.text.data();
    for (int i = 0; i < kAccessRecordSize; ++i) {
        out =
            std::to_chars(out, cell.text.data() + cell.text.size(), static_cast<quint8>(record[i]))
                .ptr;
        *out++ = '-';
    }
    cell.length = out - cell.text.data();
    return cell;
}

// The row must show its record's user, name, pass flag and bytes.
void checkRow(const DataloggerTable &table, int row, const char *record, const QString &name) {
    const int user = userOf(record);
    const bool visitor = (static_cast<quint8>(record[kFlagsOffset]) & kFlagVisitor) != 0;
    const bool pass = (static_cast<quint8>(record[kFlagsOffset]) & kFlagPass) != 0;
    NXA_FUZZ_CHECK(table.keyCell(row, 1) == QString::number(user));
    NXA_FUZZ_CHECK(
        table.keyCell(row, 3) ==
        (visitor ? QStringLiteral("Visitor (") + (name + QLatin1Char(')')).left(12) : name));
    NXA_FUZZ_CHECK(table.keyCell(row, 8) == (pass ? u"Y" : u"N"));
    NXA_FUZZ_CHECK(table.cell(row, 13) == hiddenCellOf(record).view());
}

MergeResult merge(DataloggerTable &table, const QByteArray &image, bool fileForm) {
    if (!fileForm)
        return mergeDataloggerImage(table, image);
    QBuffer buffer;
    buffer.setData(image);
    buffer.open(QIODevice::ReadOnly);
    return mergeDataloggerFile(table, &buffer, QStringLiteral("LOG07.BRL"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const auto [fileForm, input] = formedImage(data, size);
    const Layout layout = layoutOf(fileForm);
    QByteArray &image = imageOf(input, layout);
    const int present = recordsInInput(input, layout);
    if (countOf(image, layout.offset) > present)
        writeCount(image, layout.offset, present);
    const qint64 counted = std::clamp<qint64>(countOf(image, layout.offset), 0, kMaxAccessRecords);
    const bool marked = image[layout.offset + kHeaderMarkOffset] == kHeaderMark;

    // The records that give rows, in image order.
    std::vector<int> rowRecords;
    for (int n = 0; marked && n < counted; ++n)
        if (userOf(accessRecord(image, layout, n)) <= kMaxUserNumber)
            rowRecords.push_back(n);

    DataloggerTable table;
    table.clearDuplicateKeys();
    const MergeResult first = merge(table, image, fileForm);
    NXA_FUZZ_CHECK(first.imageAccepted == marked);
    NXA_FUZZ_CHECK(first.added == table.rowCount());
    NXA_FUZZ_CHECK(table.rowCount() == static_cast<int>(rowRecords.size()));
    // Each row stands above the rows of earlier records: the last record's
    // row is the top one. Up to 64 rows, spread over the table, the last
    // one included.
    const int rows = table.rowCount();
    const int step = std::max(1, rows / 64);
    for (int row = rows - 1; row >= 0; row -= step) {
        const char *record = accessRecord(image, layout, rowRecords[rows - 1 - row]);
        checkRow(table, row, record, nameOf(image, layout, userOf(record)));
    }

    table.rebuildDuplicateKeys();
    const MergeResult second = merge(table, image, fileForm);
    NXA_FUZZ_CHECK(second.added == 0);
    NXA_FUZZ_CHECK(second.imageAccepted == first.imageAccepted);
    NXA_FUZZ_CHECK(table.rowCount() == first.added);
    return 0;
}
