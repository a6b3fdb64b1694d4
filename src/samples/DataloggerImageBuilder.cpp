#include "samples/DataloggerImageBuilder.h"

#include "common/ByteFields.h"

#include <QString>

#include <algorithm>
#include <array>

namespace nxa::records {

namespace {

// Small, fully specified generator so that every platform produces the same
// sample datalogger from the same seed.
class SampleRandom {
public:
    explicit SampleRandom(quint32 seed) : m_state(seed) {}
    quint32 next() {
        m_state += 0x9e3779b9u;
        quint32 z = m_state;
        z = (z ^ (z >> 16)) * 0x85ebca6bu;
        z = (z ^ (z >> 13)) * 0xc2b2ae35u;
        return z ^ (z >> 16);
    }
    // 0 to bound - 1.
    quint32 below(quint32 bound) { return bound == 0 ? 0 : next() % bound; }
    bool percent(int share) { return static_cast<int>(below(100)) < share; }

private:
    quint32 m_state;
};

} // namespace

QByteArray AccessRecord::toBytes() const {
    QByteArray bytes(kAccessRecordSize, '\0');
    char *out = bytes.data();
    writeBigEndian(out + kUserOffset, user, 2);
    writeBigEndian(out + kFootwearOffset, footwear & 0xffffff, 3);
    writeBigEndian(out + kRightOffset, right & 0xffffff, 3);
    writeBigEndian(out + kWristStrapOffset, wristStrap & 0xffffff, 3);
    writeBigEndian(out + kTimestampOffset, timestamp, 4);
    out[kFlagsOffset] = static_cast<char>(flags);
    return bytes;
}

quint32 AccessRecord::dosTimestamp(int year, int month, int day, int hour, int minute, int second) {
    const auto field = [](int value, quint32 mask, int shift) {
        return (static_cast<quint32>(value) & mask) << shift;
    };
    return field(year - kYearBase, kYearMask, kYearShift) | field(month, kMonthMask, kMonthShift) |
           field(day, kDayMask, kDayShift) | field(hour, kHourMask, kHourShift) |
           field(minute, kMinuteMask, kMinuteShift) | field(second / 2, kHalfSecondMask, 0);
}

void DataloggerImageBuilder::setUserName(int user, const QByteArray &name) {
    if (user < 0 || user >= kUserCount)
        return;
    m_names[user] = name.left(kUserNameLength);
}

void DataloggerImageBuilder::addRecords(const std::vector<AccessRecord> &records) {
    m_records.insert(m_records.end(), records.begin(), records.end());
}

QByteArray DataloggerImageBuilder::imageRecords() const {
    QByteArray image(kFileRecordCount * kRecordSize, '\0');
    char *header = image.data() + kHeaderRecord * kRecordSize;
    header[kHeaderMarkOffset] = m_headerMark;
    const int stored = std::min(recordCount(), kMaxAccessRecords);
    const int count = m_headerCount >= 0 ? std::min(m_headerCount, 99999999) : stored;
    const QByteArray digits =
        QByteArray::number(count).rightJustified(kHeaderCountDigits, '0', true);
    std::copy(digits.begin(), digits.end(), header + kHeaderCountOffset);
    header[kHeaderRecognitionOffset] = m_recognitionType;

    for (const auto &[user, name] : m_names) {
        char *slot = image.data() + (kFirstUserRecord + user / kUsersPerRecord) * kRecordSize +
                     (user % kUsersPerRecord) * kUserSlotSize;
        std::copy(name.begin(), name.end(), slot + kUserNameOffset);
    }

    for (int i = 0; i < stored; ++i) {
        const QByteArray bytes = m_records[static_cast<size_t>(i)].toBytes();
        char *out = image.data() + (kFirstAccessBlock + i / kAccessRecordsPerBlock) * kRecordSize +
                    (i % kAccessRecordsPerBlock) * kAccessRecordSize;
        std::copy(bytes.begin(), bytes.end(), out);
    }
    return image;
}

QByteArray DataloggerImageBuilder::transferImage() const {
    QByteArray preamble(kRecordSize, '\0');
    preamble[kPreamblePeripheralOffset] = static_cast<char>(m_peripheralNumber & 0xff);
    return preamble + imageRecords();
}

QByteArray DataloggerImageBuilder::fileImage() const {
    const QByteArray records = imageRecords();
    QByteArray file;
    file.reserve(kFileImageSize);
    for (int r = 0; r < kFileRecordCount; ++r) {
        file.append(records.constData() + r * kRecordSize, kRecordSize);
        file.append("\r\n", kLineEndSize);
    }
    return file;
}

QByteArray sampleUserName(int user, bool nonAscii) {
    static const std::array<const char *, 16> first = {
        "Anna",  "Marco", "Lucia", "Peter", "Sofia", "Jan",   "Elena", "Tom",
        "Marta", "Luis",  "Ines",  "Karl",  "Nora",  "Pablo", "Vera",  "Omar"};
    static const std::array<const char *, 16> last = {
        "Rossi", "Weber",   "Novak", "Costa", "Berg", "Moreau", "Silva", "Kovac",
        "Lund",  "Fischer", "Ricci", "Varga", "Nagy", "Holm",   "Bauer", "Ortiz"};
    static const std::array<const char *, 4> accented = {"José", "Zoë", "Jürgen", "Begoña"};
    const size_t u = static_cast<size_t>(user < 0 ? 0 : user);
    QString name = QString::fromUtf8(first[u % first.size()]) + QLatin1Char(' ') +
                   QString::fromUtf8(last[(u / first.size()) % last.size()]);
    if (nonAscii && u % 5 == 0)
        name = QString::fromUtf8(accented[(u / 5) % accented.size()]) + QLatin1Char(' ') +
               QString::fromUtf8(last[u % last.size()]);
    return name.toLatin1().left(kUserNameLength);
}

std::vector<AccessRecord> generateSampleRecords(int count, quint32 seed,
                                                const SampleDataloggerOptions &options) {
    std::vector<AccessRecord> records;
    if (count <= 0)
        return records;
    records.reserve(static_cast<size_t>(count));
    SampleRandom random(seed);
    QDateTime when = options.start;
    const quint32 users = static_cast<quint32>(std::clamp(options.userCount, 1, kUserCount));
    for (int i = 0; i < count; ++i) {
        AccessRecord record;
        record.user = static_cast<quint16>(random.below(users));
        const bool visitor = random.percent(options.visitorPercent);
        const bool pass = random.percent(85);
        quint8 flags = 0;
        if (visitor)
            flags |= kFlagVisitor;
        if (pass)
            flags |= kFlagPass | kFlagRelay;
        if (random.percent(options.keyboardPercent))
            flags |= kFlagKeyboard;
        if (random.percent(options.leftPlusRightPercent)) {
            flags |= kFlagLeftPlusRight;
            record.footwear = 200 + random.below(pass ? 60000 : 900000);
        } else {
            record.footwear = 100 + random.below(pass ? 35000 : 600000);
            record.right = 100 + random.below(pass ? 35000 : 600000);
            record.wristStrap = 750 + random.below(pass ? 34000 : 200000);
        }
        record.flags = flags;
        when = when.addSecs(1 + random.below(1800));
        const QDate d = when.date();
        const QTime t = when.time();
        record.timestamp = AccessRecord::dosTimestamp(d.year(), d.month(), d.day(), t.hour(),
                                                      t.minute(), t.second());
        records.push_back(record);
    }
    return records;
}

DataloggerImageBuilder sampleDatalogger(int count, quint32 seed,
                                        const SampleDataloggerOptions &options) {
    DataloggerImageBuilder builder;
    builder.setPeripheralNumber(options.peripheralNumber);
    builder.setRecognitionType(options.recognitionType);
    if (options.names) {
        const int users = std::clamp(options.userCount, 1, kUserCount);
        for (int user = 0; user < users; ++user)
            builder.setUserName(user, sampleUserName(user, options.nonAsciiNames));
    }
    builder.addRecords(generateSampleRecords(std::min(count, kMaxAccessRecords), seed, options));
    return builder;
}

} // namespace nxa::records
