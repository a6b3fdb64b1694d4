#include "collect/site/TesterPage.h"

#include "collect/ArchiveRows.h"
#include "collect/CollectDownload.h"
#include "collect/CollectReport.h"
#include "collect/CollectStatus.h"
#include "common/ResultCodes.h"
#include "common/VisibleText.h"
#include "document/ReportDocument.h"

namespace nxa::collect {

namespace {

constexpr int kAttemptsShown = 30;
constexpr int kDaysShown = 30;

// The tester's latest collection attempts, newest first.
QString attemptsTable(Archive &archive, const CollectConfig &config, const QString &name,
                      QString &error) {
    QString key = name;
    for (const TesterEntry &t : config.testers)
        if (t.name == name)
            key = t.key;
    ArchiveRows rows(archive,
                     QStringLiteral("SELECT a.started, a.result, a.received, a.added, a.detail "
                                    "FROM attempts a JOIN testers t ON t.id = a.tester WHERE "
                                    "t.tester_key = ? OR t.name = ? ORDER BY a.id DESC LIMIT %1")
                         .arg(kAttemptsShown),
                     {key, name});
    QString out;
    while (rows.next()) {
        const int result = int(rows.integer(1));
        out += QStringLiteral("<tr%1><td>%2</td><td>%3 %4</td><td class=\"right\">%5</td>"
                              "<td class=\"right\">%6</td><td>%7</td></tr>\n")
                   .arg(result == 0 ? QString() : QStringLiteral(" class=\"bad\""),
                        QDateTime::fromMSecsSinceEpoch(rows.integer(0))
                            .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")))
                   .arg(result)
                   .arg(html(resultText(result)))
                   .arg(rows.integer(2))
                   .arg(rows.integer(3))
                   .arg(html(visibleText(QString::fromUtf8(rows.text(4)))));
    }
    error = rows.error();
    return QStringLiteral("<div class=\"scroll\"><table><thead><tr><th>Started</th><th>Result"
                          "</th><th class=\"right\">Received</th><th class=\"right\">Added</th>"
                          "<th>Detail</th></tr></thead><tbody>\n%1</tbody></table></div>\n")
        .arg(out);
}

} // namespace

web::HttpResponse testerPage(const PageContext &context, const QString &name) {
    const QDate today = context.now.date();
    const StatusRead status = readStatus(context.archive, context.config, today);
    if (!status.error.isEmpty())
        return archiveFailure(status.error);
    const auto tester = std::find_if(status.testers.begin(), status.testers.end(),
                                     [&](const TesterStatus &s) { return s.name == name; });
    if (tester == status.testers.end())
        return notFound(QStringLiteral("No tester is named \"%1\".").arg(visibleText(name)));

    QString body = QStringLiteral("<h2>Status</h2>\n<pre>%1</pre>\n")
                       .arg(html(statusLines(*tester, context.now).join(QLatin1Char('\n'))));
    ReportRequest request;
    request.to = today;
    request.from = today.addDays(1 - kDaysShown);
    request.testers = {name};
    const PlantRead plant = readPlant(context.archive, context.config, reportPlantRequest(request));
    const ReportBuilt report = buildReport(plant, context.config, request);
    if (!report.document)
        return archiveFailure(report.error);
    // The report's own sections about testers, as `report --tester NAME` has
    // them: the tests and fail rate first, what a supervisor looks for.
    for (const QString &heading : {QStringLiteral("Testers"), QStringLiteral("Limits in force"),
                                   QStringLiteral("Calibrations")})
        for (const document::Section &section : report.document->sections)
            if (section.heading == heading)
                body += document::sectionHtml(section);
    QString error;
    body += QStringLiteral("<section><h2>Collection attempts</h2>\n%1</section>\n")
                .arg(attemptsTable(context.archive, context.config, name, error));
    if (!error.isEmpty())
        return archiveFailure(error);
    return sitePage(QStringLiteral("Tester %1").arg(visibleText(name)), body);
}

} // namespace nxa::collect
