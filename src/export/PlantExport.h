#pragma once

#include "common/Progress.h"
#include "export/ExportResult.h"
#include "export/WorksheetSplit.h"
#include "records/DataloggerTable.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace nxa::exports {

// The plant-wide exports: the table's rows, in table order, each with the
// name of the tester it came from in a first column "Tester". Row r's tester
// is testerNames[testerOfRow[r]]; testerOfRow must hold one valid index per
// row, or nothing is written and the result fails. Both files are written
// beside their target and renamed over it only when complete, so a failure
// or a stop through progress leaves an earlier file untouched.

// Fixed-width text, UTF-8, CR LF after every line: the title line and one
// line per row. The tester field comes first, as wide as the longest tester
// name among the rows and at least as wide as its title, right-aligned like
// the thirteen fields of the manager's text layout that follow it. Written at
// path as given; result.path is path.
ExportResult plantTextExport(const records::DataloggerTable &table,
                             const std::vector<quint32> &testerOfRow,
                             const QStringList &testerNames, const QString &path,
                             const ProgressCallback &progress = {});

struct PlantWorkbookOptions {
    // Told the work done in thousandths; returning false stops the export.
    ProgressCallback progress;
    // Rows per worksheet, the title row included; smaller only in tests.
    qint64 rowsPerSheet = kWorksheetRowLimit;
};

// An XLSX workbook with the columns "Tester" and the thirteen of the text
// layout: PN, ID, WS, L, R and L+R as numbers, every other cell as text (a
// name "007" stays "007"), every text without the spaces around it. The rows
// continue on further worksheets when they do not fit on one: "Records",
// "Records 2", ..., each starting with the title row; result.sheets tells how
// many. The workbook is path when it ends in ".xlsx" (any case), else path +
// ".xlsx"; result.path names it.
ExportResult plantWorkbookExport(const records::DataloggerTable &table,
                                 const std::vector<quint32> &testerOfRow,
                                 const QStringList &testerNames, const QString &path,
                                 const PlantWorkbookOptions &options = {});

// The workbook file plantWorkbookExport writes for path.
QString plantWorkbookPath(const QString &path);

} // namespace nxa::exports
