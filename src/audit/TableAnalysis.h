#pragma once

#include "audit/TablePlant.h"
#include "charts/ChartInputs.h"
#include "document/ReportDocument.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

// What the manager shows of its table: a person's trend and the audit report
// of every row. The limits are those of the configuration the manager holds,
// and only for the tester it belongs to.
namespace nxa::audit {

// The manager's configuration as a source of limits: none while it still
// holds its defaults, as it does until one is downloaded, opened or typed in
// (a datalogger download sets its peripheral number alone).
const config::StationConfig *testerConfiguration(const config::StationConfig &held);

struct TableLimits {
    // Null when the manager holds no tester's configuration.
    const config::StationConfig *config = nullptr;
    QDateTime now;
};

struct PersonTrendPage {
    QString title; // "PN 5, user 12: Ada Drift"
    int tests = 0;
    // Footwear first, then wrist strap; a kind without values is left out.
    std::vector<charts::PersonTrend> charts;
    // Tests, first-attempt pass rate, then one line per measure: its slope,
    // and the projected crossing when the slope is significant.
    QStringList lines;
    // Why there is no band, in one line; empty when the limits are the
    // user's profile's.
    QString noLimits;
    int firstDay = 0;
    int lastDay = 0;
};

// Every row of the person in the table. name: shown in the titles.
PersonTrendPage personTrendPage(const records::DataloggerTable &table, const TablePerson &person,
                                const QString &name, const TableLimits &limits);

// The audit report over every row of the table, from its first day to its last.
document::ReportDocument tableReport(const records::DataloggerTable &table,
                                     const TableLimits &limits);

// The one line that says why a tester's rows have no limits, or empty when
// the configuration is the tester's.
QString noLimitsReason(const TableLimits &limits, int peripheralNumber);

} // namespace nxa::audit
