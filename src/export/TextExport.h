#pragma once

#include "common/Progress.h"
#include "export/ExportResult.h"
#include "records/DataloggerTable.h"

#include <QIODevice>
#include <QString>

namespace nxa::exports {

// Writes the table as fixed-width text: a title line and one line per row,
// 118 characters each plus CR LF, UTF-8. The file is written beside the
// target and renamed over it only when complete, so a failure leaves an
// earlier file untouched; so does stopping it through progress (told the rows
// written out of the row count).
ExportResult textExport(const records::DataloggerTable &table, const QString &path,
                        const ProgressCallback &progress = {});

// The same text written to an open device; false when a write fails.
bool writeFixedWidthText(const records::DataloggerTable &table, QIODevice &device,
                         const ProgressCallback &progress = {});

} // namespace nxa::exports
