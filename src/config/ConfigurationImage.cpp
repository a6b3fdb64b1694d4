#include "config/ConfigurationImage.h"

#include "common/ByteFields.h"
#include "config/ConfigurationFileName.h"
#include "config/ConfigurationRecords.h"
#include "config/UserCodes.h"

#include <QBuffer>
#include <QFile>

#include <algorithm>

namespace nxa::config {

namespace {

constexpr int kLimitStarts[] = {kFootwearMinStart, kFootwearMaxStart, kWristStrapMinStart,
                                kWristStrapMaxStart};
constexpr int kDigitZero = '0';

ConfigurationRecord blankRecord() {
    ConfigurationRecord record;
    record.fill(kFillByte);
    return record;
}

unsigned char byteAt(const ConfigurationRecord &record, int index) {
    return static_cast<unsigned char>(record[static_cast<size_t>(index)]);
}

void putByte(ConfigurationRecord &record, int index, unsigned char value) {
    record[static_cast<size_t>(index)] = static_cast<char>(value);
}

// Writes the text one byte per character (low 8 bits), cut to `length` and
// padded on the right with spaces.
void putText(ConfigurationRecord &record, int start, int length, const QString &text) {
    for (int i = 0; i < length; ++i) {
        const unsigned char byte =
            i < text.size() ? static_cast<unsigned char>(text.at(i).unicode() & 0xFF) : kFillByte;
        putByte(record, start + i, byte);
    }
}

QString takeText(const ConfigurationRecord &record, int start, int length) {
    return textFromBytes(QByteArrayView(record.data() + start, length));
}

// A name or the description as the user reads and types it. Its pad is not
// part of it: kept, it would fill the field, so nothing more could be typed.
// putText pads again, so the bytes written back are the same.
QString takeTypedText(const ConfigurationRecord &record, int start, int length) {
    QString text = takeText(record, start, length);
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QChar(kFillByte))
        --end;
    text.truncate(end);
    return text;
}

// The limit padded on the left with "0" to 8 characters; a longer text keeps
// its first 8.
void putLimit(ConfigurationRecord &record, int start, const QString &limit) {
    const QString padded = limit.size() >= kLimitLength
                               ? limit.left(kLimitLength)
                               : QString(kLimitLength - limit.size(), QChar(kLimitPad)) + limit;
    putText(record, start, kLimitLength, padded);
}

QString takeLimit(const ConfigurationRecord &record, int start) {
    const QString text = takeText(record, start, kLimitLength);
    qsizetype zeros = 0;
    while (zeros < text.size() && text.at(zeros) == QChar(kLimitPad))
        ++zeros;
    return text.mid(zeros);
}

unsigned char choiceCode(int index, int choiceCount) {
    return index >= 0 && index < choiceCount ? static_cast<unsigned char>(index) : kNoChoiceCode;
}

int choiceFromCode(unsigned char code, int choiceCount) {
    return code < choiceCount ? code : kNoChoice;
}

unsigned char securityCode(SecurityLevel level) {
    switch (level) {
    case SecurityLevel::Max:
        return kSecurityMaxCode;
    case SecurityLevel::Middle:
        return kSecurityMiddleCode;
    case SecurityLevel::Min:
        break;
    }
    return kSecurityMinCode;
}

ConfigurationRecord headerRecord(const StationConfig &config) {
    ConfigurationRecord record = blankRecord();
    putByte(record, kHeaderTagByte, kHeaderTag);
    putByte(record, kHeaderCheckByte, kSeparator);
    putText(record, kDescriptionStart, kDescriptionLength, config.description);
    putByte(record, kDescriptionStart + kDescriptionLength, kSeparator);
    putByte(record, kSecurityLevelByte, securityCode(config.securityLevel));
    putByte(record, kSecurityLevelByte + 1, kSeparator);
    const auto digits = generatorDigits(config.generator);
    for (int i = 0; i < kGeneratorDigitCount; ++i)
        putByte(record, kGeneratorDigitsStart + i,
                static_cast<unsigned char>(kDigitZero + digits[static_cast<size_t>(i)]));
    putByte(record, kGeneratorDigitsStart + kGeneratorDigitCount, kSeparator);
    putByte(record, kModeByte, config.mode == Mode::HandFree ? kModeHandFreeCode : kModeNormalCode);
    putByte(record, kModeByte + 1, kSeparator);
    putByte(record, kVoltageByte,
            config.voltage == TestVoltage::V50 ? kVoltage50Code : kVoltage100Code);
    putByte(record, kHeaderLastSeparator, kSeparator);
    return record;
}

ConfigurationRecord profileRecord(const Profile &profile, bool visitors) {
    ConfigurationRecord record = blankRecord();
    const QString *limits[] = {&profile.footwearMin, &profile.footwearMax, &profile.wristStrapMin,
                               &profile.wristStrapMax};
    for (int i = 0; i < 4; ++i) {
        putLimit(record, kLimitStarts[i], *limits[i]);
        putByte(record, kLimitStarts[i] + kLimitLength, kSeparator);
    }
    putByte(record, kCheckByte, choiceCode(profile.check, kCheckChoiceCount));
    putByte(record, kCheckByte + 1, kSeparator);
    putByte(record, kRelayByte, choiceCode(profile.relay, kRelayChoiceCount));
    putByte(record, kRelayByte + 1, kSeparator);
    if (!visitors) {
        putByte(record, kQualifierByte, profile.visitorsQualifier ? kQualifierYes : kQualifierNo);
        putByte(record, kQualifierByte + 1, kSeparator);
    }
    return record;
}

void putUserSlot(ConfigurationRecord &record, int slotStart, int k, const User &user) {
    putByte(record, slotStart + kSlotNumberHigh, static_cast<unsigned char>((k >> 8) & 0xFF));
    putByte(record, slotStart + kSlotNumberLow, static_cast<unsigned char>(k & 0xFF));
    putByte(record, slotStart + kSlotActiveByte, user.active ? 1 : 0);
    putText(record, slotStart + kSlotNameStart, kSlotNameLength, user.name);
    putByte(record, slotStart + kSlotProfileByte, choiceCode(user.profile, kProfileChoiceCount));
}

void takeUserSlot(const ConfigurationRecord &record, int slotStart, StationConfig &config) {
    const int k = 256 * byteAt(record, slotStart + kSlotNumberHigh) +
                  byteAt(record, slotStart + kSlotNumberLow);
    if (k >= kUserCount)
        return;
    User &user = config.users[static_cast<size_t>(k)];
    user.active = byteAt(record, slotStart + kSlotActiveByte) != 0;
    user.name = takeTypedText(record, slotStart + kSlotNameStart, kSlotNameLength);
    user.profile =
        choiceFromCode(byteAt(record, slotStart + kSlotProfileByte), kProfileChoiceCount);
}

void takeProfile(const ConfigurationRecord &record, Profile &profile, bool visitors) {
    QString *limits[] = {&profile.footwearMin, &profile.footwearMax, &profile.wristStrapMin,
                         &profile.wristStrapMax};
    for (int i = 0; i < 4; ++i)
        *limits[i] = takeLimit(record, kLimitStarts[i]);
    profile.check = choiceFromCode(byteAt(record, kCheckByte), kCheckChoiceCount);
    profile.relay = choiceFromCode(byteAt(record, kRelayByte), kRelayChoiceCount);
    if (!visitors)
        profile.visitorsQualifier = byteAt(record, kQualifierByte) == kQualifierYes;
}

void takeHeader(const ConfigurationRecord &record, StationConfig &config) {
    config.description = takeTypedText(record, kDescriptionStart, kDescriptionLength);
    switch (byteAt(record, kSecurityLevelByte)) {
    case kSecurityMaxCode:
        config.securityLevel = SecurityLevel::Max;
        break;
    case kSecurityMiddleCode:
        config.securityLevel = SecurityLevel::Middle;
        break;
    case kSecurityMinCode:
        config.securityLevel = SecurityLevel::Min;
        break;
    default:
        break; // an unknown code keeps the current level
    }
    // No digit check: whatever the bytes hold gives some character code.
    QString generator;
    for (int i = 0; i < kGeneratorDigitCount; i += 2) {
        const auto tens =
            static_cast<unsigned char>(byteAt(record, kGeneratorDigitsStart + i) - kDigitZero);
        const auto units =
            static_cast<unsigned char>(byteAt(record, kGeneratorDigitsStart + i + 1) - kDigitZero);
        generator.append(QChar(static_cast<char16_t>(10 * tens + units)));
    }
    config.generator = generator;
    switch (byteAt(record, kModeByte)) {
    case kModeNormalCode:
        config.mode = Mode::Normal;
        break;
    case kModeHandFreeCode:
        config.mode = Mode::HandFree;
        break;
    default:
        break;
    }
    switch (byteAt(record, kVoltageByte)) {
    case kVoltage100Code:
        config.voltage = TestVoltage::V100;
        break;
    case kVoltage50Code:
        config.voltage = TestVoltage::V50;
        break;
    default:
        break;
    }
}

Notice headerNotice(const QString &text) {
    return Notice{QStringLiteral("Error"), text, NoticeIcon::Error};
}

} // namespace

void encodeConfiguration(const StationConfig &config, RecordSink &sink) {
    sink.emitRecord(headerRecord(config));
    sink.emitRecord(blankRecord());
    for (int p = 0; p < kProfileCount; ++p)
        sink.emitRecord(
            profileRecord(config.profiles[static_cast<size_t>(p)], p == kVisitorsProfile));
    sink.emitRecord(blankRecord());
    for (int i = 0; i < kUserRecordCount; ++i) {
        ConfigurationRecord record = blankRecord();
        const int even = kUsersPerRecord * i;
        putUserSlot(record, 0, even, config.users[static_cast<size_t>(even)]);
        putUserSlot(record, kUserSlotSize, even + 1, config.users[static_cast<size_t>(even + 1)]);
        sink.emitRecord(record);
    }
}

bool decodeConfiguration(StationConfig &config, RecordReader &source) {
    const ConfigurationRecord header = source.next();
    if (byteAt(header, kHeaderCheckByte) != kSeparator)
        return false;
    takeHeader(header, config);
    source.next(); // blank
    for (int p = 0; p < kProfileCount; ++p)
        takeProfile(source.next(), config.profiles[static_cast<size_t>(p)], p == kVisitorsProfile);
    source.next(); // blank
    for (int i = 0; i < kUserRecordCount; ++i) {
        const ConfigurationRecord record = source.next();
        takeUserSlot(record, 0, config);
        takeUserSlot(record, kUserSlotSize, config);
    }
    return true;
}

QByteArray encodeConfigurationTransfer(const StationConfig &config) {
    QByteArray transfer;
    transfer.reserve(kTransferSize);
    BufferRecordSink sink(transfer, BufferRecordSink::LineEnds::None);
    ConfigurationRecord preamble = blankRecord();
    putByte(preamble, kPreamblePeripheralByte,
            static_cast<unsigned char>(config.peripheralNumber()));
    sink.emitRecord(preamble);
    encodeConfiguration(config, sink);
    return transfer;
}

QByteArray encodeConfigurationFile(const StationConfig &config) {
    QByteArray file;
    file.reserve(kFileSize);
    BufferRecordSink sink(file, BufferRecordSink::LineEnds::CrLf);
    encodeConfiguration(config, sink);
    return file;
}

bool encodeConfigurationFile(const StationConfig &config, QIODevice &device) {
    DeviceRecordSink sink(device);
    encodeConfiguration(config, sink);
    return sink.ok();
}

DecodeResult decodeConfigurationTransfer(StationConfig &config, QByteArrayView transfer,
                                         const QString &caption) {
    DecodeResult result;
    RecordReader source = RecordReader::fromTransfer(transfer);
    const ConfigurationRecord preamble = source.next();
    config.setPeripheralNumber(byteAt(preamble, kPreamblePeripheralByte));
    result.ok = decodeConfiguration(config, source);
    if (result.ok)
        result.caption = caption;
    else
        result.notices.append(headerNotice(QStringLiteral("Wrong data format")));
    return result;
}

namespace {

DecodeResult decodeFile(StationConfig &config, QIODevice *device, const QString &path) {
    DecodeResult result;
    const FileNameRuleResult rule = configurationFileNameRule(path);
    config.setPeripheralNumber(rule.peripheralNumber);
    if (rule.warning)
        result.notices.append(*rule.warning);
    RecordReader source = RecordReader::fromFile(device);
    result.ok = decodeConfiguration(config, source);
    if (result.ok)
        result.caption = fileNamePart(path);
    else
        result.notices.append(headerNotice(QStringLiteral("Wrong file format")));
    return result;
}

} // namespace

DecodeResult decodeConfigurationFile(StationConfig &config, QIODevice &device,
                                     const QString &path) {
    return decodeFile(config, &device, path);
}

DecodeResult decodeConfigurationFile(StationConfig &config, const QString &path) {
    QFile file(path);
    // An unopened file reads as zeros and so fails the header check.
    const bool opened = file.open(QIODevice::ReadOnly);
    return decodeFile(config, opened ? &file : nullptr, path);
}

} // namespace nxa::config
