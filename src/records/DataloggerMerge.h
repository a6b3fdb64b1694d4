#pragma once

#include "common/Notice.h"
#include "records/DataloggerTable.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

class QIODevice;

namespace nxa::records {

struct MergeResult {
    // Rows inserted at the top of the table.
    int added = 0;
    // The image carried its "R" mark; only then does the caller report the count
    // (mergeCountNotice / downloadCountLine).
    bool imageAccepted = false;
    // Access records the header counts (0 to 10,000), rows or not: an image
    // that counts 10,000 is full and the tester overwrites its oldest next.
    int headerCount = 0;
    // Preamble byte 0 of a received image, for the station configuration's
    // peripheral number; empty for log files.
    std::optional<int> transferPeripheralNumber;
    // The name rule's warning and the "Error" box of a rejected image, in the
    // order they arise.
    Notices notices;
};

// The access records an image's header record counts, 0 to 10,000.
int headerRecordCount(QByteArrayView header);

// The peripheral number a standard log file name ("LOGXX.BRL", case-sensitive)
// carries, or nothing for any other name. Only the name after the last folder
// separator counts.
std::optional<int> logFilePeripheralNumber(const QString &path);

// Applies the log file name rule: the table's peripheral number becomes the
// name's number, or 1 with the returned warning when the name is not standard.
std::optional<Notice> applyLogFileNameRule(DataloggerTable &table, const QString &path);

// Merges a log file (file form). The name rule runs first; a file that cannot
// be opened reads as zeros and so fails the header check. Rows carry the
// table's peripheral number as the name rule left it. The duplicate keys are
// used as they stand: rebuild or clear them before calling.
MergeResult mergeDataloggerFile(DataloggerTable &table, const QString &path);
// The same from an open device; fileName is what the name rule looks at.
MergeResult mergeDataloggerFile(DataloggerTable &table, QIODevice *device, const QString &fileName);

// Merges a received image (transfer form). Rows carry preamble byte 0, the
// tester's own peripheral number, in their PN cell; the table's peripheral
// number is left alone.
MergeResult mergeDataloggerImage(DataloggerTable &table, QByteArrayView transferImage);

// The interactive count box after an accepted merge.
Notice mergeCountNotice(int added);
// The command-line Event viewer line after an accepted download.
QString downloadCountLine(int added);

} // namespace nxa::records
