#pragma once

#include "common/ImageRecords.h"

#include <QtGlobal>

// Layout of the datalogger image: 64-byte records, big-endian numbers. The
// transfer form starts with a preamble record; the file form (log files) leaves
// it out and ends every record with two line-end bytes.
namespace nxa::records {

using nxa::kFileRecordSize;
using nxa::kLineEndSize;
using nxa::kRecordSize;

inline constexpr int kPreambleRecordCount = 1;
inline constexpr int kHeaderRecordCount = 1;
inline constexpr int kSpareRecordCount = 1;
inline constexpr int kUserRecordCount = 500;
inline constexpr int kAccessBlockCount = 2500;

// Records of the file form: header, spare, users, access blocks.
inline constexpr int kFileRecordCount =
    kHeaderRecordCount + kSpareRecordCount + kUserRecordCount + kAccessBlockCount;
inline constexpr int kTransferRecordCount = kPreambleRecordCount + kFileRecordCount;

inline constexpr int kTransferImageSize = kTransferRecordCount * kRecordSize;
inline constexpr int kFileImageSize = kFileRecordCount * kFileRecordSize;
static_assert(kTransferImageSize == 192192);
static_assert(kFileImageSize == 198132);

// Record indexes in the file form (add kPreambleRecordCount for the transfer form).
inline constexpr int kHeaderRecord = 0;
inline constexpr int kSpareRecord = 1;
inline constexpr int kFirstUserRecord = 2;
inline constexpr int kFirstAccessBlock = kFirstUserRecord + kUserRecordCount;

// Preamble record.
inline constexpr int kPreamblePeripheralOffset = 0;

// Header record.
inline constexpr int kHeaderMarkOffset = 0;
inline constexpr char kHeaderMark = 'R';
inline constexpr int kHeaderCountOffset = 17;
inline constexpr int kHeaderCountDigits = 8;
inline constexpr int kHeaderRecognitionOffset = 26;
inline constexpr char kRecognitionFingerprint = 'F';

// User records: two 32-byte user slots each.
inline constexpr int kUserSlotSize = 32;
inline constexpr int kUsersPerRecord = kRecordSize / kUserSlotSize;
inline constexpr int kUserNameOffset = 3;
inline constexpr int kUserNameLength = 20;
using nxa::kUserCount;
static_assert(kUserRecordCount * kUsersPerRecord == kUserCount);
inline constexpr int kMaxUserNumber = kUserCount - 1;

// Access records: four 16-byte records per block.
inline constexpr int kAccessRecordSize = 16;
inline constexpr int kAccessRecordsPerBlock = kRecordSize / kAccessRecordSize;
inline constexpr int kMaxAccessRecords = kAccessBlockCount * kAccessRecordsPerBlock;
static_assert(kMaxAccessRecords == 10000);

// Fields of one access record.
inline constexpr int kUserOffset = 0;     // 16 bits
inline constexpr int kFootwearOffset = 2; // 24 bits; left, or left + right with kFlagLeftPlusRight
inline constexpr int kRightOffset = 5;    // 24 bits
inline constexpr int kWristStrapOffset = 8; // 24 bits
inline constexpr int kTimestampOffset = 11; // 32 bits, DOS date-time layout
inline constexpr int kFlagsOffset = 15;

inline constexpr quint8 kFlagVisitor = 0x80;
inline constexpr quint8 kFlagPass = 0x40;
inline constexpr quint8 kFlagRelay = 0x20;
inline constexpr quint8 kFlagLeftPlusRight = 0x10;
inline constexpr quint8 kFlagKeyboard = 0x08;

// DOS date-time fields: shift and mask of each.
inline constexpr int kYearShift = 25;
inline constexpr quint32 kYearMask = 0x7f;
inline constexpr int kYearBase = 1980;
inline constexpr int kMonthShift = 21;
inline constexpr quint32 kMonthMask = 0x0f;
inline constexpr int kDayShift = 16;
inline constexpr quint32 kDayMask = 0x1f;
inline constexpr int kHourShift = 11;
inline constexpr quint32 kHourMask = 0x1f;
inline constexpr int kMinuteShift = 5;
inline constexpr quint32 kMinuteMask = 0x3f;
inline constexpr quint32 kHalfSecondMask = 0x1f;

} // namespace nxa::records
