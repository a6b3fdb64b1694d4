#pragma once

#include "audit/TableAnalysis.h"
#include "document/ReportDocument.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// The manager's trend window as it is saved and printed: its lines, why it has
// no band, and its charts.
namespace nxa::audit {

// The page's lines, then the reason it has no limits when there is one.
QStringList trendLines(const PersonTrendPage &page);

// One section headed by the page's title; title and the page's days head
// every page.
document::ReportDocument trendDocument(const PersonTrendPage &page, const QString &title,
                                       const QDateTime &generated);

} // namespace nxa::audit
