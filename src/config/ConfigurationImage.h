#pragma once

#include "common/ImageRecords.h"
#include "common/Notice.h"
#include "config/StationConfig.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class QIODevice;

namespace nxa::config {

class RecordSink;

// The configuration image: 514 records of 64 bytes. On the tester link it is
// preceded by a preamble record and sent back to back; in a file every record
// is followed by CR LF.
using nxa::kFileRecordSize;
using nxa::kLineEndSize;
using nxa::kRecordSize;
inline constexpr int kRecordCount = 514;
inline constexpr int kFileSize = kRecordCount * kFileRecordSize;                 // 33,924
inline constexpr int kPreambleSize = kRecordSize;                                // transfer only
inline constexpr int kTransferSize = kPreambleSize + kRecordCount * kRecordSize; // 32,960

// Record order inside the image (0-based record numbers).
inline constexpr int kHeaderRecord = 0;
inline constexpr int kFirstBlankRecord = 1;
inline constexpr int kFirstProfileRecord = 2; // profiles 1 to 10, then the visitors profile
inline constexpr int kSecondBlankRecord = kFirstProfileRecord + kProfileCount; // 13
inline constexpr int kFirstUserRecord = kSecondBlankRecord + 1;                // 14
inline constexpr int kUsersPerRecord = 2;
inline constexpr int kUserRecordCount = kUserCount / kUsersPerRecord; // 500
static_assert(kFirstUserRecord + kUserRecordCount == kRecordCount);

inline constexpr char kFillByte = ' ';
inline constexpr char kSeparator = ';';

// Preamble record (transfer only).
inline constexpr int kPreamblePeripheralByte = 0;

// Header record.
inline constexpr int kHeaderTagByte = 0; // "F", written and never examined
inline constexpr char kHeaderTag = 'F';
inline constexpr int kHeaderCheckByte = 1; // must hold the separator
inline constexpr int kDescriptionStart = 2;
inline constexpr int kDescriptionLength = 20;
inline constexpr int kSecurityLevelByte = 23;
inline constexpr int kGeneratorDigitsStart = 25;
inline constexpr int kGeneratorDigitCount = 6;
inline constexpr int kModeByte = 32;
inline constexpr int kVoltageByte = 34;
inline constexpr int kHeaderLastSeparator = 35;
inline constexpr char kSecurityMaxCode = 'H';
inline constexpr char kSecurityMiddleCode = 'P';
inline constexpr char kSecurityMinCode = 'L';
inline constexpr char kModeNormalCode = 'N';
inline constexpr char kModeHandFreeCode = 'H';
inline constexpr unsigned char kVoltage100Code = 100;
inline constexpr unsigned char kVoltage50Code = 50;

// Profile record: four limits of 8 characters, each followed by a separator,
// in the order footwear min, footwear max, wrist strap min, wrist strap max.
inline constexpr int kLimitLength = 8;
inline constexpr char kLimitPad = '0';
inline constexpr int kFootwearMinStart = 0;
inline constexpr int kFootwearMaxStart = 9;
inline constexpr int kWristStrapMinStart = 18;
inline constexpr int kWristStrapMaxStart = 27;
inline constexpr int kCheckByte = 36;
inline constexpr int kRelayByte = 38;
inline constexpr int kQualifierByte = 40; // profiles 1 to 10 only
inline constexpr char kQualifierYes = 'Y';
inline constexpr char kQualifierNo = 'N';
inline constexpr int kCheckChoiceCount = 3; // "WS + Shoes", "WS", "Shoes"
inline constexpr int kRelayChoiceCount = 3; // "Off", "Always", "If Check is OK"
// How a choice that selects no entry is stored.
inline constexpr unsigned char kNoChoiceCode = 255;

// User records: two slots of 32 bytes, the even user first.
inline constexpr int kUserSlotSize = 32;
inline constexpr int kSlotNumberHigh = 0; // user number, big-endian
inline constexpr int kSlotNumberLow = 1;
inline constexpr int kSlotActiveByte = 2;
inline constexpr int kSlotNameStart = 3;
inline constexpr int kSlotNameLength = 20;
inline constexpr int kSlotProfileByte = 23;

struct DecodeResult {
    bool ok = false;
    Notices notices;
    // What the configuration source caption shows after a successful decode.
    QString caption;
};

// The image without preamble, record by record, in image order.
void encodeConfiguration(const StationConfig &config, RecordSink &sink);
// Reads the image without preamble. False when the header check fails; then
// nothing has been changed.
bool decodeConfiguration(StationConfig &config, RecordReader &source);

// Encode configuration for the tester link: preamble + image, 32,960 bytes.
QByteArray encodeConfigurationTransfer(const StationConfig &config);
// Encode configuration in file form: 33,924 bytes, CR LF after each record.
QByteArray encodeConfigurationFile(const StationConfig &config);
// Writes the file form to a device; false when a write failed.
bool encodeConfigurationFile(const StationConfig &config, QIODevice &device);

// Decode configuration received from the tester. Missing bytes read as 0,
// extra bytes are ignored. On success the caption becomes `caption` (the
// tester's dotted address).
DecodeResult decodeConfigurationTransfer(StationConfig &config, QByteArrayView transfer,
                                         const QString &caption = {});
// Decode configuration from a configuration file: applies the file name rule
// to `path` (peripheral number, possible warning), then reads the records.
// A file that cannot be opened or ends early reads as zeros from there on.
DecodeResult decodeConfigurationFile(StationConfig &config, const QString &path);
// As above, reading the records from an open device; `path` only serves the
// file name rule and the caption.
DecodeResult decodeConfigurationFile(StationConfig &config, QIODevice &device, const QString &path);

} // namespace nxa::config
