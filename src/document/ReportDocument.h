#pragma once

#include "charts/ChartInputs.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <utility>
#include <variant>
#include <vector>

class QIODevice;

// A document of sections, each a heading and a run of blocks, written as one
// self-contained HTML file or as an A4 PDF with the same content.
namespace nxa::document {

struct Paragraph {
    Paragraph() = default;
    explicit Paragraph(QString text, QString link = {})
        : text(std::move(text)), link(std::move(link)) {}
    QString text;
    // A file beside the document that the text names (HTML makes it a link);
    // empty for none.
    QString link;
};

struct KeyValue {
    QString key;
    QString value;
};

// Label and value pairs, such as a summary's figures.
struct Summary {
    std::vector<KeyValue> items;
};

struct Table {
    QStringList header;
    std::vector<QStringList> rows;
    // Columns set to true are aligned right (figures); missing ones are left.
    std::vector<bool> alignRight;
    // A table of every person of a plant: saved with more than
    // kDetachAboveRows rows, it is written whole beside the document as
    // "<document>-<detachAs>.csv", and the document keeps its first keepRows
    // rows and a line naming the file. Empty: always kept whole.
    QString detachAs;
    int keepRows = 0;
};

inline constexpr int kDetachAboveRows = 1000;

using Block = std::variant<Paragraph, Summary, Table, charts::Chart>;

struct Section {
    QString heading;
    std::vector<Block> blocks;
};

struct ReportDocument {
    // Plant or archive name, and the period, shown at the top of every page.
    QString title;
    QString period;
    QDateTime generated;
    std::vector<Section> sections;
};

// "2026-12-07 18:05 UTC": the generation time as both outputs show it.
QString generatedText(const QDateTime &generated);

// UTF-8 HTML that needs nothing outside itself: inline CSS and SVG, no script,
// and a policy that forbids the browser to fetch anything.
QByteArray reportHtml(const ReportDocument &document);
// One section of it, as the report writes it, for a page of its own.
QString sectionHtml(const Section &section);
// A chart as an inline SVG element of an HTML page, sized by the page's style.
QString inlineChartSvg(const charts::Chart &chart);

// A4 pages with the title and period above and "Page n of m" and the
// generation time below; each section starts a page, a table's header row
// opens every page it runs onto. device must be open for writing; false when
// the PDF could not be started on it (a caller that saves to a file checks
// the file's own completion, as with any QSaveFile).
bool writeReportPdf(const ReportDocument &document, QIODevice &device);

} // namespace nxa::document
