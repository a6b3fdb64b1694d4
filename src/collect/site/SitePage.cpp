#include "collect/site/SitePage.h"

#include <QUrl>

namespace nxa::collect {

namespace {

constexpr char kStyle[] =
    "body { font-family: 'Liberation Sans', Arial, Helvetica, sans-serif; font-size: 15px;"
    " color: #1a1a1a; background: #fff; max-width: 1100px; margin: 0 auto; padding: 8px 12px; }\n"
    "nav { display: flex; flex-wrap: wrap; gap: 6px 16px; align-items: center;"
    " border-bottom: 2px solid #404040; padding: 6px 0; margin-bottom: 8px; }\n"
    "nav a { color: #1a1a1a; font-weight: bold; text-decoration: none; }\n"
    "nav form { margin-left: auto; }\n"
    "nav input { font-size: 15px; width: 12em; max-width: 60vw; }\n"
    "h1 { font-size: 22px; margin: 8px 0; } h2 { font-size: 18px; margin: 18px 0 6px;"
    " border-bottom: 1px solid #808080; }\n"
    "h3 { font-size: 15px; margin: 10px 0 4px; }\n"
    ".scroll { overflow-x: auto; }\n"
    "table { border-collapse: collapse; width: 100%; margin: 4px 0 10px; }\n"
    "th, td { border: 1px solid #a0a0a0; padding: 3px 6px; text-align: left;"
    " vertical-align: top; }\n"
    "th { background: #e8e8e8; } .right { text-align: right; }\n"
    "table.summary { width: auto; } table.summary th { background: none; border: none;"
    " padding-left: 0; } table.summary td { border: none; }\n"
    ".bad { color: #b00000; font-weight: bold; } .good { color: #1a6b1a; }\n"
    ".tag { border: 1px solid currentColor; border-radius: 3px; padding: 0 4px;"
    " font-size: 12px; font-weight: bold; white-space: nowrap; }\n"
    ".counts { display: flex; flex-wrap: wrap; gap: 8px 24px; font-size: 17px; }\n"
    "ul.check { margin: 2px 0 8px; padding-left: 20px; }\n"
    "pre { white-space: pre-wrap; }\n"
    "figure { margin: 8px 0; } figure svg { display: block; width: 100%; height: auto; }\n"
    "figure svg text { font-family: 'Liberation Sans', Arial, Helvetica, sans-serif; }\n"
    "figure svg g.ink { fill: none; stroke: #202020; stroke-width: 1;"
    " stroke-linecap: square; stroke-linejoin: bevel; }\n"
    "footer { color: #505050; font-size: 12px; margin-top: 16px; }\n"
    "@media (max-width: 600px) { body { font-size: 14px; padding: 4px 6px; }"
    " nav form { margin-left: 0; } th, td { padding: 2px 3px; } }\n"
    "@media print { nav, footer { display: none; } body { max-width: none; color: #000; }"
    " a { color: inherit; text-decoration: none; } .bad { color: #000; }"
    " .scroll { overflow: visible; } figure, tr { break-inside: avoid; }"
    " h2, h3 { break-after: avoid; } }\n";

} // namespace

QString html(const QString &text) {
    QString out = text.toHtmlEscaped();
    out.replace(QLatin1Char('\''), QLatin1String("&#39;"));
    return out;
}

QString sitePath(const QString &first, const QString &segment) {
    return QStringLiteral("/%1/%2").arg(first,
                                        QString::fromLatin1(QUrl::toPercentEncoding(segment)));
}

QString siteLink(const QString &path, const QString &text, const QString &cssClass) {
    return QStringLiteral("<a href=\"%1\"%2>%3</a>")
        .arg(html(path),
             cssClass.isEmpty() ? QString() : QStringLiteral(" class=\"%1\"").arg(cssClass),
             html(text));
}

web::HttpResponse sitePage(const QString &title, const QString &body, int status) {
    web::HttpResponse response;
    response.status = status;
    const QString page =
        QStringLiteral(
            "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
            "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
            "<title>%1 \u2014 nxa-collect</title>\n<style>\n%2</style>\n</head>\n<body>\n"
            "<nav><a href=\"/\">Plant</a><a href=\"/report\">Report</a>"
            "<a href=\"/verify\">Verify</a>"
            "<form action=\"/search\" method=\"get\"><input name=\"q\" type=\"search\" "
            "placeholder=\"Person: name or ID\" aria-label=\"Search persons\"></form></nav>\n"
            "<main>\n<h1>%1</h1>\n%3</main>\n<footer>nxa-collect, read only</footer>\n"
            "</body>\n</html>\n")
            .arg(html(title), QString::fromLatin1(kStyle), body);
    response.body = page.toUtf8();
    return response;
}

web::HttpResponse notFound(const QString &what) {
    return sitePage(QStringLiteral("Not found"), QStringLiteral("<p>%1</p>\n").arg(html(what)),
                    404);
}

web::HttpResponse badRequest(const QString &why) {
    return sitePage(QStringLiteral("Bad request"), QStringLiteral("<p>%1</p>\n").arg(html(why)),
                    400);
}

web::HttpResponse archiveFailure(const QString &why) {
    return sitePage(QStringLiteral("The archive cannot be read"),
                    QStringLiteral("<p>%1</p>\n").arg(html(why)), 503);
}

QByteArray withRefresh(const QByteArray &page, int seconds) {
    QByteArray out = page;
    const qsizetype head = out.indexOf("<head>\n");
    if (head >= 0)
        out.insert(head + 7, "<meta http-equiv=\"refresh\" content=\"" +
                                 QByteArray::number(seconds) + "\">\n");
    return out;
}

std::optional<QDate> dateValue(const web::HttpRequest &request, const QString &name,
                               const QDate &otherwise) {
    const auto found = request.query.constFind(name);
    if (found == request.query.cend() || found->isEmpty())
        return otherwise;
    const QDate date = QDate::fromString(*found, QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        return std::nullopt;
    return date;
}

} // namespace nxa::collect
