#pragma once

// The worked example of an access record, in every form the tests meet it:
// user 5 "Desk5" of peripheral 1, WS 250, L 300, R 301, pass and relay,
// recognised by fingerprint, 2020-05-11 14:30:20. Written out by hand from the
// record layout and the text export's column widths, never from our output.

#include "samples/DataloggerImageBuilder.h"

#include <QByteArray>
#include <QStringList>

namespace nxa::test {

// The 16 record bytes: user, L, R, WS, DOS time stamp, flags.
inline constexpr char kWorkedRecordHex[] = "0005 00012C 00012D 0000FA 50AB73CA 60";
inline constexpr char kWorkedUserName[] = "Desk5";

inline records::AccessRecord workedRecord() {
    records::AccessRecord r;
    r.user = 5;
    r.footwear = 300;
    r.right = 301;
    r.wristStrap = 250;
    r.timestamp = 0x50AB73CA;
    r.flags = 0x60;
    return r;
}

// The 14 cells of its row, the raw bytes in decimal last.
inline QStringList workedRecordCells() {
    return {"1",           "5",
            "N",           "Desk5",
            "250",         "300",
            "301",         "",
            "Y",           "Y",
            "Fingerprint", "2020-05-11",
            "14:30:20",    "0-5-0-1-44-0-1-45-0-0-250-80-171-115-202-96-"};
}

// Its line in the text export, 118 characters without the line end.
inline QByteArray workedRecordLine() {
    return "  1"
           "    5"
           "       N"
           "                Desk5"
           "      250"
           "      300"
           "      301"
           "         "
           "     Y"
           "     Y"
           "  Fingerprint"
           " 2020-05-11"
           " 14:30:20";
}

} // namespace nxa::test
