#pragma once

#include "records/DataloggerTable.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>
#include <vector>

namespace nxa::collect {

// One access as numbers, read from its 16 bytes, for the archive's typed
// columns. The time is local as the tester stored it, without a zone.
struct TypedAccess {
    QString localTime; // "yyyy-MM-dd hh:mm:ss"; empty when the fields form no valid time
    QString localDate; // "yyyy-MM-dd"; empty with localTime
    int user = 0;
    bool visitor = false;
    bool pass = false;
    bool relay = false;
    bool keyboard = false;
    // kOhm; the three are absent and lr present when footwear was measured as one value.
    std::optional<int> wristStrap, left, right, leftRight;
};

TypedAccess typedAccess(QByteArrayView record);

// One access record of a downloaded image, ready for the archive.
struct ArchivedRecord {
    records::Row row; // the 14 cells exactly as the manager's download makes them
    QByteArray raw;   // the 16 record bytes
    // Among the records of the same image with the same 16 bytes, how many
    // came before this one: identical accesses are separate accesses, and an
    // image downloaded again matches them one to one.
    int occurrence = 0;
    int seq = 0; // position among the image's rows, oldest first
    TypedAccess typed;
};

struct DecodedImage {
    bool accepted = false; // the image carried its "R" mark
    int headerCount = 0;   // access records the header counts, at most 10,000
    std::vector<ArchivedRecord> records;
};

// Decodes a datalogger image in transfer form the way the manager's
// command-line download does (peripheral number from the preamble, records
// past the header count and users above 999 left out), in image order.
DecodedImage decodeImage(QByteArrayView transferImage);

} // namespace nxa::collect
