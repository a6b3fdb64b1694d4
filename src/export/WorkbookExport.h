#pragma once

#include "common/Progress.h"
#include "export/ExportResult.h"
#include "records/DataloggerTable.h"

#include <QIODevice>
#include <QString>

namespace nxa::exports {

// The files a workbook export uses, derived from the path it is given.
struct WorkbookPaths {
    QString base; // the given path without a final ".xlsx" of its file name, any case
    // base + ".xlsx"; empty when the path names no file ("", "folder/", ".", "..")
    QString workbook;
};

WorkbookPaths workbookPaths(const QString &givenPath);

// Writes the title line and the rows in the fixed-width layout, every field
// followed by a TAB, every line by CR LF; false when a write fails.
bool writeTabSeparated(const records::DataloggerTable &table, QIODevice &device,
                       const ProgressCallback &progress = {});

// Saves the table as an XLSX workbook through a temporary tab-separated file
// of its own that has no name, so none is ever left behind. The workbook
// replaces an earlier one only when complete; a workbook path that names
// anything but a regular file, or no file at all, fails. result.path is the
// workbook file (the given path when it names none). progress is told the
// work done in thousandths; stopping it leaves any earlier workbook untouched.
ExportResult workbookExport(const records::DataloggerTable &table, const QString &path,
                            const ProgressCallback &progress = {});

} // namespace nxa::exports
