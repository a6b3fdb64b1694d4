#pragma once

#include "collect/CollectConfig.h"
#include "collect/PlantRead.h"
#include "document/ReportDocument.h"

#include <QDate>
#include <QStringList>

namespace nxa::collect {

struct ReportRequest {
    QDate from;
    QDate to;
    QStringList testers; // by name; empty: every tester
    // "N" (that user number on every chosen tester) or "TESTER:N".
    QStringList persons;
    QString path;
    bool pdf = false; // else HTML
};

struct ReportOutcome {
    bool ok = false;
    bool usage = false; // the request names a tester or person nobody knows
    QString message;    // what was written, or why not
};

// Writes the audit report of the period from the archive, as one
// self-contained HTML file or an A4 PDF. Drawing needs a QGuiApplication.
ReportOutcome runReport(const CollectConfig &config, const ReportRequest &request);

// The days of the archive the report of `request` reads.
PlantRequest reportPlantRequest(const ReportRequest &request);

struct ReportBuilt {
    std::optional<document::ReportDocument> document;
    QString error;
    bool usage = false; // as in ReportOutcome
};

// The report's document from a plant read with reportPlantRequest; the
// request's path and format play no part.
ReportBuilt buildReport(const PlantRead &plant, const CollectConfig &config,
                        const ReportRequest &request);

} // namespace nxa::collect
