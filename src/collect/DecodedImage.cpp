#include "collect/DecodedImage.h"

#include "common/ByteFields.h"
#include "records/DataloggerImage.h"
#include "records/DataloggerMerge.h"

#include <QDate>
#include <QTime>

#include <bit>
#include <cstring>

namespace nxa::collect {

namespace {

using namespace records;

constexpr int kResistanceBytes = 3;
constexpr int kTimestampBytes = 4;
constexpr int kUserBytes = 2;

// Offsets in the transfer form.
constexpr int kHeaderAt = kPreambleRecordCount * kRecordSize;
constexpr int kUsersAt = (kPreambleRecordCount + kFirstUserRecord) * kRecordSize;
constexpr int kAccessAt = (kPreambleRecordCount + kFirstAccessBlock) * kRecordSize;
static_assert(kAccessAt + kMaxAccessRecords * kAccessRecordSize == kTransferImageSize);

int field(QByteArrayView record, int offset, int size) {
    return static_cast<int>(readBigEndian(record.data() + offset, size));
}

// Numbers the identical records of one image: the count of each 16-byte
// value so far, in a table sized for a full image.
class OccurrenceCounter {
public:
    explicit OccurrenceCounter(int records)
        : m_slots(std::bit_ceil(static_cast<size_t>(std::max(records, 1)) * 2)) {}

    int next(QByteArrayView raw) {
        quint64 low = 0;
        quint64 high = 0;
        std::memcpy(&low, raw.data(), sizeof low);
        std::memcpy(&high, raw.data() + sizeof low, sizeof high);
        quint64 h = (low ^ (high * 0x9e3779b97f4a7c15ull)) * 0xff51afd7ed558ccdull;
        h ^= h >> 29;
        for (size_t i = h & (m_slots.size() - 1);; i = (i + 1) & (m_slots.size() - 1)) {
            Slot &slot = m_slots[i];
            if (slot.count == 0) {
                slot = {low, high, 1};
                return 0;
            }
            if (slot.low == low && slot.high == high)
                return slot.count++;
        }
    }

private:
    struct Slot {
        quint64 low;
        quint64 high;
        int count;
    };
    std::vector<Slot> m_slots;
};

} // namespace

QByteArray DecodedImage::rawRecords() const {
    QByteArray bytes;
    bytes.reserve(qsizetype(size()) * kRawSize);
    for (int i = 0; i < size(); ++i)
        bytes.append(raw(i));
    return bytes;
}

DecodedImage decodeImage(const QByteArray &transferImage) {
    DecodedImage decoded;
    decoded.m_image = transferImage;
    // Bytes missing at the end read as 0, as in the manager's merge.
    if (decoded.m_image.size() < kTransferImageSize)
        decoded.m_image.append(QByteArray(kTransferImageSize - decoded.m_image.size(), '\0'));
    const QByteArrayView image(decoded.m_image);
    const QByteArrayView header = image.sliced(kHeaderAt, kRecordSize);
    if (header[kHeaderMarkOffset] != kHeaderMark)
        return decoded;
    decoded.m_accepted = true;
    decoded.m_headerCount = headerRecordCount(header);
    decoded.m_recognitionType = header[kHeaderRecognitionOffset];
    decoded.m_peripheralNumber = static_cast<quint8>(image[kPreamblePeripheralOffset]);

    const auto count = static_cast<size_t>(decoded.m_headerCount);
    decoded.m_offsets.reserve(count);
    decoded.m_occurrences.reserve(count);
    OccurrenceCounter occurrences(decoded.m_headerCount);
    for (int i = 0; i < decoded.m_headerCount; ++i) {
        const int at = kAccessAt + i * kAccessRecordSize;
        const QByteArrayView raw = image.sliced(at, kAccessRecordSize);
        // The manager gives no row to a user above 999.
        if (field(raw, kUserOffset, kUserBytes) > kMaxUserNumber)
            continue;
        decoded.m_offsets.push_back(at);
        decoded.m_occurrences.push_back(occurrences.next(raw));
    }
    return decoded;
}

RecordValuesReader::RecordValuesReader(const DecodedImage &image)
    : m_image(image), m_builder(image.m_recognitionType, image.m_peripheralNumber) {
    m_builder.setUserRecords(
        QByteArrayView(image.m_image).sliced(kUsersAt, kUserRecordCount * kRecordSize));
}

const RecordValues &RecordValuesReader::read(int i) {
    RecordValues &v = m_values;
    v.raw = m_image.raw(i);
    v.occurrence = m_image.occurrence(i);
    v.seq = i;
    // Users above 999 were left out when the image was decoded.
    const bool built = m_builder.build(v.raw);
    Q_ASSERT(built);
    for (size_t c = 0; c < v.cells.size(); ++c)
        v.cells[c] = m_builder.cell(static_cast<int>(c));

    const QByteArrayView raw = v.raw;
    const quint8 flags = static_cast<quint8>(raw[kFlagsOffset]);
    v.user = field(raw, kUserOffset, kUserBytes);
    v.visitor = flags & kFlagVisitor;
    v.pass = flags & kFlagPass;
    v.relay = flags & kFlagRelay;
    v.keyboard = flags & kFlagKeyboard;
    if (flags & kFlagLeftPlusRight) {
        v.wristStrap = v.left = v.right = std::nullopt;
        v.leftRight = field(raw, kFootwearOffset, kResistanceBytes);
    } else {
        v.wristStrap = field(raw, kWristStrapOffset, kResistanceBytes);
        v.left = field(raw, kFootwearOffset, kResistanceBytes);
        v.right = field(raw, kRightOffset, kResistanceBytes);
        v.leftRight = std::nullopt;
    }
    const quint32 stamp = readBigEndian(raw.data() + kTimestampOffset, kTimestampBytes);
    const int year = kYearBase + static_cast<int>((stamp >> kYearShift) & kYearMask);
    const int month = static_cast<int>((stamp >> kMonthShift) & kMonthMask);
    const int day = static_cast<int>((stamp >> kDayShift) & kDayMask);
    const int hour = static_cast<int>((stamp >> kHourShift) & kHourMask);
    const int minute = static_cast<int>((stamp >> kMinuteShift) & kMinuteMask);
    const int second = 2 * static_cast<int>(stamp & kHalfSecondMask);
    v.localTime = v.localDate = {};
    if (QDate::isValid(year, month, day) && QTime::isValid(hour, minute, second)) {
        // A valid time's date and time cells are its zero-padded fields.
        const QByteArrayView date = v.cells[kColumnDate];
        const QByteArrayView time = v.cells[kColumnTime];
        Q_ASSERT(date.size() == 10 && time.size() == 8);
        std::memcpy(m_localTime, date.data(), 10);
        m_localTime[10] = ' ';
        std::memcpy(m_localTime + 11, time.data(), 8);
        v.localTime = QByteArrayView(m_localTime, 19);
        v.localDate = QByteArrayView(m_localTime, 10);
    }
    return v;
}

} // namespace nxa::collect
