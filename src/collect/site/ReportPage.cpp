#include "collect/site/ReportPage.h"

#include "collect/CollectReport.h"
#include "document/ReportDocument.h"

#include <QBuffer>

namespace nxa::collect {

web::HttpResponse reportPage(const PageContext &context) {
    const QDate yesterday = context.now.date().addDays(-1);
    const std::optional<QDate> to = dateValue(context.request, QStringLiteral("to"), yesterday);
    const std::optional<QDate> from =
        to ? dateValue(context.request, QStringLiteral("from"), to->addDays(-29)) : std::nullopt;
    const QString format =
        context.request.query.value(QStringLiteral("format"), QStringLiteral("html"));
    if (!from || !to)
        return badRequest(QStringLiteral("from= and to= need dates such as 2026-12-07"));
    if (*from > *to || from->daysTo(*to) >= kMaxReportDays)
        return badRequest(QStringLiteral("from= must not be after to=, and a report covers %1 "
                                         "days at most")
                              .arg(kMaxReportDays));
    if (format != QLatin1String("html") && format != QLatin1String("pdf"))
        return badRequest(QStringLiteral("format= is html or pdf"));
    ReportRequest request;
    request.from = *from;
    request.to = *to;
    const PlantRead plant = readPlant(context.archive, context.config, reportPlantRequest(request));
    const ReportBuilt report = buildReport(plant, context.config, request);
    if (!report.document)
        return archiveFailure(report.error);
    web::HttpResponse response;
    if (format == QLatin1String("html")) {
        response.body = document::reportHtml(*report.document);
        return response;
    }
    QBuffer pdf(&response.body);
    pdf.open(QIODevice::WriteOnly);
    if (!document::writeReportPdf(*report.document, pdf))
        return archiveFailure(QStringLiteral("the PDF could not be drawn"));
    pdf.close();
    response.contentType = "application/pdf";
    response.headers.append(std::pair<QByteArray, QByteArray>(
        "Content-Disposition", QStringLiteral("inline; filename=\"report-%1-%2.pdf\"")
                                   .arg(from->toString(Qt::ISODate), to->toString(Qt::ISODate))
                                   .toLatin1()));
    return response;
}

} // namespace nxa::collect
