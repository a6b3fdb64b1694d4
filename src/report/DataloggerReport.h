#pragma once

#include "common/Progress.h"
#include "report/Canvas.h"

#include <QString>

namespace nxa::records {
class DataloggerTable;
}

namespace nxa::report {

// True when every row has the PN of the row before it; an empty table and a
// table of one row hold a single peripheral.
bool holdsSinglePeripheral(const records::DataloggerTable &table);

// The rows of the table in their current order under the logo, the
// peripheral line (single peripheral only) and the title. With hideValues the
// WS, L, R and L+R columns are left out; the others keep their places.
// The title is also the print job's document name. progress is told the
// rows drawn out of the row count; false when it stopped the drawing.
bool dataloggerReport(Canvas &canvas, const records::DataloggerTable &table, bool hideValues,
                      const QString &title, const ProgressCallback &progress = {});

} // namespace nxa::report
