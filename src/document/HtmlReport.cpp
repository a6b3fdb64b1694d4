#include "charts/ChartPainting.h"
#include "document/ReportDocument.h"

#include <QRegularExpression>
#include <QTimeZone>
#include <QUrl>

namespace nxa::document {

namespace {

using charts::Chart;
using charts::chartSvg;
using charts::chartTitle;
using charts::kChartSize;

template <class... Kinds> struct Overloaded : Kinds... { using Kinds::operator()...; };

QString escaped(const QString &text) {
    QString out = text.toHtmlEscaped();
    out.replace(QLatin1Char('\''), QLatin1String("&#39;"));
    return out;
}

// A CSS string literal that no text can end early, nor close the style element with.
QString cssString(const QString &text) {
    QString out = QStringLiteral("\"");
    for (const QChar c : text)
        if (c.isLetterOrNumber() || c == QLatin1Char(' ') || c == QLatin1Char('-') ||
            c == QLatin1Char(':') || c == QLatin1Char(',') || c == QLatin1Char('.'))
            out += c;
        else
            out += QStringLiteral("\\%1 ").arg(c.unicode(), 0, 16);
    return out + QLatin1Char('"');
}

QString styleSheet(const ReportDocument &document) {
    const QString running = document.period.isEmpty()
                                ? document.title
                                : document.title + QStringLiteral(" \u2014 ") + document.period;
    return QStringLiteral(
               "@page { size: A4; margin: 18mm 15mm 18mm 15mm;\n"
               "  @top-left { content: %1; font: 9pt 'Liberation Sans', Arial, sans-serif; }\n"
               "  @bottom-left { content: %2; font: 9pt 'Liberation Sans', Arial, sans-serif; }\n"
               "  @bottom-right { content: \"Page \" counter(page) \" of \" counter(pages);"
               " font: 9pt 'Liberation Sans', Arial, sans-serif; } }\n"
               "body { font-family: 'Liberation Sans', Arial, Helvetica, sans-serif; font-size: "
               "10.5pt;"
               " color: #202020; max-width: 190mm; margin: 0 auto; padding: 6mm; }\n"
               "@media print { body { max-width: none; padding: 0; } }\n"
               "h1 { font-size: 18pt; margin: 0 0 2mm; }\n"
               "header p { margin: 0 0 1mm; }\n"
               "h2 { font-size: 14pt; border-bottom: 1px solid #808080; padding-bottom: 1mm; }\n"
               "section + section { break-before: page; page-break-before: always; }\n"
               "table { border-collapse: collapse; width: 100%; margin: 3mm 0; }\n"
               "th, td { border: 1px solid #a0a0a0; padding: 1mm 2mm; text-align: left;"
               " vertical-align: top; }\n"
               "th { background: #e8e8e8; }\n"
               "thead { display: table-header-group; }\n"
               "tr { break-inside: avoid; page-break-inside: avoid; }\n"
               ".right { text-align: right; }\n"
               "table.summary { width: auto; }\n"
               "table.summary th { background: none; border: none; padding-left: 0; }\n"
               "table.summary td { border: none; }\n"
               "figure { margin: 4mm 0; break-inside: avoid; page-break-inside: avoid; }\n"
               "figure svg { display: block; width: 100%; height: auto; }\n"
               "figure svg text { font-family: 'Liberation Sans', Arial, Helvetica, "
               "sans-serif; }\n"
               "figure svg g.ink { fill: none; stroke: #202020; stroke-width: 1; "
               "stroke-linecap: square; stroke-linejoin: bevel; }\n")
        .arg(cssString(running),
             cssString(QStringLiteral("Generated ") + generatedText(document.generated)));
}

void writeTable(QString &out, const Table &table) {
    const auto cellClass = [&](qsizetype column) {
        const auto index = static_cast<std::size_t>(column);
        return index < table.alignRight.size() && table.alignRight[index]
                   ? QStringLiteral(" class=\"right\"")
                   : QString();
    };
    out += QLatin1String("<table>\n");
    if (!table.header.isEmpty()) {
        out += QLatin1String("<thead><tr>");
        for (qsizetype c = 0; c < table.header.size(); ++c)
            out += QStringLiteral("<th%1>%2</th>").arg(cellClass(c), escaped(table.header[c]));
        out += QLatin1String("</tr></thead>\n");
    }
    out += QLatin1String("<tbody>\n");
    for (const QStringList &row : table.rows) {
        out += QLatin1String("<tr>");
        for (qsizetype c = 0; c < row.size(); ++c)
            out += QStringLiteral("<td%1>%2</td>").arg(cellClass(c), escaped(row[c]));
        out += QLatin1String("</tr>\n");
    }
    out += QLatin1String("</tbody></table>\n");
}

// The chart's SVG as an element of the page: no XML prolog, no namespace
// addresses (HTML knows inline SVG), sized by the page; the page's style
// names the face, with fallbacks for a reader without Liberation Sans.
// As the SVG generator opens the group of the chart's ink (texts, axes,
// ticks) once its idle attributes are gone.
constexpr char kInkGroup[] = "<g fill=\"none\" stroke=\"#202020\" stroke-width=\"1\" "
                             "stroke-linecap=\"square\" stroke-linejoin=\"bevel\"\n>";

} // namespace

QString inlineChartSvg(const Chart &chart) {
    QString svg = QString::fromUtf8(chartSvg(chart));
    const qsizetype start = svg.indexOf(QLatin1String("<svg"));
    if (start < 0)
        return {};
    svg.remove(0, start);
    static const QRegularExpression namespaces(QStringLiteral("\\s+xmlns(:\\w+)?=\"[^\"]*\""));
    static const QRegularExpression size(QStringLiteral("<svg width=\"[^\"]*\" height=\"[^\"]*\""));
    svg.replace(namespaces, QString());
    svg.replace(size,
                QStringLiteral("<svg width=\"%1\" height=\"%2\" role=\"img\" aria-label=\"%3\"")
                    .arg(kChartSize.width())
                    .arg(kChartSize.height())
                    .arg(escaped(chartTitle(chart))));
    // What the generator repeats on every group without effect: the identity
    // transform, full opacities, and fonts on groups (every text names its
    // own). A plant's report holds hundreds of charts, and the file must
    // stay small enough to mail.
    static const QRegularExpression groupFont(
        QStringLiteral("(<g [^>]*?)\\s+font-(?:family|size|weight|style)=\"[^\"]*\""));
    while (svg.contains(groupFont))
        svg.replace(groupFont, QStringLiteral("\\1"));
    // The page's style names the face with its fallbacks for every chart
    // text at once; weight and style are said only where they differ.
    for (const char *idle :
         {" transform=\"matrix(1,0,0,1,0,0)\"", " fill-opacity=\"1\"", " stroke-opacity=\"1\"",
          " font-family=\"Liberation Sans\"", " font-weight=\"400\"", " font-style=\"normal\""})
        svg.remove(QLatin1String(idle));
    static const QRegularExpression blankLines(QStringLiteral("\\s*\\n\\s*"));
    svg.replace(blankLines, QStringLiteral("\n"));
    // The group every text and axis line is drawn in, named once by the
    // page's style.
    svg.replace(QLatin1String(kInkGroup), QLatin1String("<g class=\"ink\">"));
    // Places inside tags to a tenth of a unit: a chart is 640 units wide.
    static const QRegularExpression fineNumber(QStringLiteral("(\\d\\.\\d)\\d+(?=[^<>]*>)"));
    svg.replace(fineNumber, QStringLiteral("\\1"));
    return svg;
}

QString generatedText(const QDateTime &generated) {
    if (!generated.isValid())
        return {};
    return generated.toString(QStringLiteral("yyyy-MM-dd HH:mm ")) +
           generated.timeZoneAbbreviation();
}

QString sectionHtml(const Section &section) {
    QString out;
    out += QStringLiteral("<section>\n<h2>%1</h2>\n").arg(escaped(section.heading));
    for (const Block &block : section.blocks) {
        std::visit(Overloaded{
                       [&](const Paragraph &p) {
                           out +=
                               p.link.isEmpty()
                                   ? QStringLiteral("<p>%1</p>\n").arg(escaped(p.text))
                                   : QStringLiteral("<p><a href=\"%1\">%2</a></p>\n")
                                         .arg(QString::fromLatin1(QUrl::toPercentEncoding(p.link)),
                                              escaped(p.text));
                       },
                       [&](const Summary &s) {
                           out += QLatin1String("<table class=\"summary\"><tbody>\n");
                           for (const KeyValue &item : s.items)
                               out +=
                                   QStringLiteral("<tr><th scope=\"row\">%1</th><td>%2</td></tr>\n")
                                       .arg(escaped(item.key), escaped(item.value));
                           out += QLatin1String("</tbody></table>\n");
                       },
                       [&](const Table &t) { writeTable(out, t); },
                       [&](const Chart &c) {
                           out += QStringLiteral("<figure>\n%1</figure>\n").arg(inlineChartSvg(c));
                       },
                   },
                   block);
    }
    out += QLatin1String("</section>\n");
    return out;
}

QByteArray reportHtml(const ReportDocument &document) {
    QString out;
    out += QStringLiteral(
               "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
               "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
               "style-src 'unsafe-inline'; img-src data:; base-uri 'none'; form-action 'none'\">\n"
               "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
               "<title>%1</title>\n<style>\n%2</style>\n</head>\n<body>\n")
               .arg(escaped(document.title + (document.period.isEmpty()
                                                  ? QString()
                                                  : QStringLiteral(" \u2014 ") + document.period)),
                    styleSheet(document));
    out += QStringLiteral("<header>\n<h1>%1</h1>\n<p>%2</p>\n<p>Generated %3</p>\n</header>\n")
               .arg(escaped(document.title), escaped(document.period),
                    escaped(generatedText(document.generated)));
    for (const Section &section : document.sections)
        out += sectionHtml(section);
    out += QLatin1String("</body>\n</html>\n");
    return out.toUtf8();
}

} // namespace nxa::document
