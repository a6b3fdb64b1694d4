#include "audit/TrendDocument.h"

#include "audit/AnalysisTexts.h"

namespace nxa::audit {

QStringList trendLines(const PersonTrendPage &page) {
    QStringList lines = page.lines;
    if (!page.noLimits.isEmpty())
        lines.append(page.noLimits);
    return lines;
}

document::ReportDocument trendDocument(const PersonTrendPage &page, const QString &title,
                                       const QDateTime &generated) {
    document::ReportDocument trend;
    trend.title = title;
    trend.period =
        page.tests > 0
            ? QStringLiteral("%1 to %2").arg(dayText(page.firstDay), dayText(page.lastDay))
            : QString();
    trend.generated = generated;
    document::Section section{page.title, {}};
    for (const QString &line : trendLines(page))
        section.blocks.push_back(document::Paragraph{line});
    for (const charts::PersonTrend &chart : page.charts)
        section.blocks.push_back(charts::Chart(chart));
    trend.sections.push_back(std::move(section));
    return trend;
}

} // namespace nxa::audit
