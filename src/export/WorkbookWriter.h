#pragma once

#include "common/Progress.h"

#include <QIODevice>
#include <QString>

#include <ctime>

namespace nxa::exports {

struct WorkbookWriteOptions {
    // Compress on a second thread while the parts are generated; the bytes
    // written are the same either way.
    bool compressOnSecondThread = true;
    // Stamps every entry of the archive; 0 takes the current time.
    std::time_t entryTime = 0;
    // Told the source bytes read out of twice the source size (it is read
    // twice); returning false stops the writer, which then fails.
    ProgressCallback progress;
};

// Turns a delimited UTF-8 source text into an XLSX workbook of one sheet:
// every line a row, every field a cell, numbers as numbers, other texts as
// shared strings. The source is read twice and left as it is. The workbook is
// written beside the target and renamed over it only when complete; false
// (and any earlier target untouched) when the source cannot be read, the
// workbook cannot be written or progress stopped the writer.
bool writeWorkbook(const QString &sourcePath, const QString &targetPath, const QString &separator,
                   const WorkbookWriteOptions &options = {});

// The same from an open, seekable source to an open target device.
bool writeWorkbook(QIODevice &source, QIODevice &target, const QString &separator,
                   const WorkbookWriteOptions &options = {});

} // namespace nxa::exports
