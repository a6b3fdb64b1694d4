#pragma once

#include "common/Progress.h"
#include "export/WorksheetSplit.h"

#include <QIODevice>
#include <QString>

#include <ctime>
#include <vector>

namespace nxa::exports {

struct WorkbookWriteOptions {
    // Compress on a second thread too, besides the one generating the parts;
    // the bytes written are the same either way.
    bool compressOnSecondThread = true;
    // Stamps every entry of the archive; 0 takes the current time.
    std::time_t entryTime = 0;
    // Told the source bytes read out of twice the source size (it is read
    // twice); returning false stops the writer, which then fails.
    ProgressCallback progress;
    // Rows per worksheet, the title row (line 1) included; the lines past it
    // continue on further sheets, each starting with the title row again.
    // Held between 2 and kWorksheetRowLimit; smaller only in tests.
    qint64 rowsPerSheet = kWorksheetRowLimit;
    SheetNaming sheetNaming;
    // Field positions (from 0) always stored as text cells, even when they
    // read as numbers; every other field is a number when it reads as one.
    std::vector<int> textColumns;
};

// Turns a delimited UTF-8 source text into an XLSX workbook: every line a
// row, every field a cell, numbers as numbers, other texts as shared strings,
// on as many worksheets as the rows need. The source is read twice and left
// as it is. The workbook is written beside the target and renamed over it
// only when complete; false (and any earlier target untouched) when the
// source cannot be read, the workbook cannot be written, the sheet names are
// not ones spreadsheet programs accept or progress stopped the writer.
// *sheets, when given, is set to the number of worksheets written.
bool writeWorkbook(const QString &sourcePath, const QString &targetPath, const QString &separator,
                   const WorkbookWriteOptions &options = {}, int *sheets = nullptr);

// The same from an open, seekable source to an open target device.
bool writeWorkbook(QIODevice &source, QIODevice &target, const QString &separator,
                   const WorkbookWriteOptions &options = {}, int *sheets = nullptr);

} // namespace nxa::exports
