#pragma once

#include "collect/CollectConfig.h"

#include <QDate>
#include <QStringList>

#include <optional>

namespace nxa::collect {

struct ExportRequest {
    QStringList testers; // empty: every tester
    std::optional<QDate> from;
    std::optional<QDate> to;
    bool failedOnly = false; // only accesses whose Pass cell is "N"
    bool text = false;       // "/TXT"; otherwise "/XLSX"
    QString path;
};

struct ExportOutcome {
    bool ok = false;
    int rows = 0;
    QString message; // the manager's "Saved ..." or "Can't create file" line, or why not
};

// Writes the chosen archived records, newest first (record date and time;
// twins in the order the manager's merge leaves them), through the manager's
// own text or workbook export. With a date limit, records whose date cell is
// not a valid date are left out.
ExportOutcome runExport(const CollectConfig &config, const ExportRequest &request);

} // namespace nxa::collect
