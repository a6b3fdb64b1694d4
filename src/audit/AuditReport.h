#pragma once

#include "analysis/AnalysisInput.h"
#include "analysis/AnalysisSettings.h"
#include "document/ReportDocument.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <utility>
#include <vector>

namespace nxa::audit {

struct AuditReportInput {
    QString title; // the archive's name
    QDate from;
    QDate to;
    // The accesses of the period and of the drift window before its end,
    // with the testers' snapshots and attempts.
    const analysis::Plant *plant = nullptr;
    // Persons (tester index, user number) whose trend is drawn even when
    // nothing flags them.
    std::vector<std::pair<int, int>> chosenPersons;
    // Records without a valid date and time, per tester index.
    std::vector<qint64> invalidTimes;
    // Made from the manager's table, not from an archive: nothing was
    // collected, so the testers' sections speak of the table's rows and the
    // limits are those of the configuration the manager holds.
    bool fromTable = false;
    QDateTime generated;
    // The thresholds every figure of the report is made with, and that its
    // texts name.
    analysis::AnalysisSettings settings;
    // What the check of the archive against its signed checkpoints found,
    // as label and value; none for a report not made from an archive.
    std::vector<document::KeyValue> integrity;
};

// The audit report of a period, section by section: summary, limits in
// force, testers, exceptions by day, drift watch, retests, persons, data
// quality. Charts are drawn for flagged and chosen persons only; every other
// person is a table row, so that the report of a large plant stays small.
document::ReportDocument auditReport(const AuditReportInput &input);

} // namespace nxa::audit
