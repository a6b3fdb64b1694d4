#pragma once

#include "records/DataloggerTable.h"

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

namespace nxa::collect {

// One access record of a downloaded image, ready for the archive.
struct ArchivedRecord {
    records::Row row; // the 14 cells exactly as the manager's download makes them
    QByteArray raw;   // the 16 record bytes
    // Among the records of the same image with equal cells 0-12, how many came
    // before this one: the manager keeps such twins as separate rows, so the
    // archive does too, and an image downloaded again matches them one to one.
    int occurrence = 0;
    int seq = 0; // position among the image's rows, oldest first
};

struct DecodedImage {
    bool accepted = false; // the image carried its "R" mark
    std::vector<ArchivedRecord> records;
};

// Decodes a datalogger image in transfer form the way the manager's
// command-line download does (peripheral number from the preamble, records
// past the header count and users above 999 left out), in image order.
DecodedImage decodeImage(QByteArrayView transferImage);

} // namespace nxa::collect
