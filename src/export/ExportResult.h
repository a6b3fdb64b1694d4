#pragma once

#include "export/WorksheetSplit.h"

#include <QString>

namespace nxa::exports {

// Outcome of an export. path names the file the export writes (the text file,
// or the workbook file derived from the given path), whether or not it could
// be created.
struct ExportResult {
    bool ok = false;
    QString path;
    // The user stopped the export; any earlier file at path is untouched.
    bool cancelled = false;
    // Worksheets the workbook holds (0 for a text file): more than one when
    // the rows do not fit on one sheet.
    int sheets = 0;
};

// The Event viewer line of a command-line export: "Saved " followed by the
// file written (result.path), or the "Can't create file" error followed by
// the path the user gave. The caller
// sets result code 8 when !result.ok.
QString exportEventLine(const ExportResult &result, const QString &givenPath);

// The line that tells a workbook's rows were continued on further worksheets
// of at most rowsPerSheet data rows each; empty for a workbook of one sheet
// and for a failed export.
QString sheetsContinuedLine(const ExportResult &result,
                            qint64 dataRowsPerSheet = kWorksheetRowLimit - 1);

} // namespace nxa::exports
