#include "charts/ChartPainting.h"
#include "document/ReportDocument.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>

#include <algorithm>
#include <functional>
#include <memory>

namespace nxa::document {

namespace {

using charts::Chart;
using charts::kChartSize;
using charts::paintChart;

template <class... Kinds> struct Overloaded : Kinds... { using Kinds::operator()...; };

constexpr int kResolution = 600;
constexpr double kMillimetre = kResolution / 25.4;
constexpr double kPageWidth = 210.0 * kMillimetre;
constexpr double kPageHeight = 297.0 * kMillimetre;
constexpr double kSide = 15.0 * kMillimetre;
constexpr double kTop = 20.0 * kMillimetre;
constexpr double kBottom = 18.0 * kMillimetre;
constexpr double kCellPadding = 1.2 * kMillimetre;
const QColor kInkColour{0x20, 0x20, 0x20};
const QColor kRuleColour{0xa0, 0xa0, 0xa0};
const QColor kHeaderFill{0xe8, 0xe8, 0xe8};

QFont pdfFont(double points, bool bold = false) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

using Drawing = std::function<void(QPainter &)>;

// Places the blocks on pages first, so that every footer can name the page count.
class PageFlow {
public:
    explicit PageFlow(QPaintDevice &device) : m_device(device) { m_pages.emplace_back(); }

    const std::vector<std::vector<Drawing>> &pages() const { return m_pages; }
    double width() const { return kPageWidth - 2 * kSide; }

    void newPage() {
        if (m_y > kTop) {
            m_pages.emplace_back();
            m_y = kTop;
        }
    }
    void space(double height) { m_y = std::min(m_y + height, bottom()); }

    void text(const QString &text, const QFont &font, double indent = 0.0) {
        const QFontMetricsF metrics(font, &m_device);
        for (const QString &line : wrap(text, font, width() - indent)) {
            need(metrics.height());
            const QPointF at(kSide + indent, m_y + metrics.ascent());
            place([=](QPainter &p) {
                p.setFont(font);
                p.setPen(kInkColour);
                p.drawText(at, line);
            });
            m_y += metrics.height();
        }
    }

    void heading(const QString &text) {
        const QFont font = pdfFont(14.0, true);
        need(QFontMetricsF(font, &m_device).height() * 3);
        this->text(text, font);
        const double at = m_y + 0.8 * kMillimetre;
        place([=, this](QPainter &p) {
            p.setPen(QPen(QColor(0x80, 0x80, 0x80), 0.3 * kMillimetre));
            p.drawLine(QPointF(kSide, at), QPointF(kSide + width(), at));
        });
        m_y = at + 3.0 * kMillimetre;
    }

    void chart(const Chart &chart) {
        const double height = width() * kChartSize.height() / kChartSize.width();
        need(height);
        const QRectF box(kSide, m_y, width(), height);
        place([=](QPainter &p) { paintChart(chart, p, box); });
        m_y += height + 3.0 * kMillimetre;
    }

    void table(const Table &table, bool plain);

private:
    double bottom() const { return kPageHeight - kBottom; }
    void need(double height) {
        if (m_y + height > bottom()) {
            newPage();
        }
    }
    void place(Drawing drawing) { m_pages.back().push_back(std::move(drawing)); }

    QStringList wrap(const QString &text, const QFont &font, double width) const {
        QStringList lines;
        for (const QString &paragraph : text.split(QLatin1Char('\n'))) {
            QTextLayout layout(paragraph, font, &m_device);
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(std::max(width, 1.0));
                lines << paragraph.mid(line.textStart(), line.textLength()).trimmed();
            }
            layout.endLayout();
            if (paragraph.isEmpty()) {
                lines << QString();
            }
        }
        return lines;
    }

    QPaintDevice &m_device;
    std::vector<std::vector<Drawing>> m_pages;
    double m_y = kTop;
};

void PageFlow::table(const Table &table, bool plain) {
    const QFont body = pdfFont(9.0);
    const QFont bold = pdfFont(9.0, true);
    const QFontMetricsF bodyMetrics(body, &m_device);
    const QFontMetricsF boldMetrics(bold, &m_device);
    qsizetype columns = table.header.size();
    for (const QStringList &row : table.rows) {
        columns = std::max(columns, row.size());
    }
    if (columns == 0) {
        return;
    }
    // Each column wants its widest text; when they do not fit, the wide ones
    // give up room and wrap, the narrow ones keep theirs. The advances are
    // kept: a cell that fits its column needs no line breaking, and at
    // plant scale there are hundreds of thousands of cells.
    std::vector<double> wanted(static_cast<std::size_t>(columns), 0.0);
    const auto measure = [&](const QStringList &row, const QFontMetricsF &metrics) {
        std::vector<double> advances(static_cast<std::size_t>(row.size()));
        for (qsizetype c = 0; c < row.size(); ++c) {
            const auto index = static_cast<std::size_t>(c);
            advances[index] = metrics.horizontalAdvance(row[c]);
            wanted[index] = std::max(wanted[index], advances[index] + 2 * kCellPadding + 1.0);
        }
        return advances;
    };
    const std::vector<double> headerAdvances = measure(table.header, boldMetrics);
    std::vector<std::vector<double>> rowAdvances;
    rowAdvances.reserve(table.rows.size());
    for (const QStringList &row : table.rows) {
        rowAdvances.push_back(measure(row, plain ? boldMetrics : bodyMetrics));
    }
    std::vector<double> widths = wanted;
    double total = 0.0;
    for (const double w : wanted) {
        total += w;
    }
    if (total > width()) {
        double share = width() / static_cast<double>(columns);
        double left = width();
        std::vector<bool> settled(widths.size(), false);
        for (bool changed = true; changed;) {
            changed = false;
            int open = 0;
            for (std::size_t c = 0; c < widths.size(); ++c) {
                if (!settled[c] && wanted[c] <= share) {
                    settled[c] = true;
                    left -= wanted[c];
                    changed = true;
                }
                open += settled[c] ? 0 : 1;
            }
            share = open > 0 ? left / open : share;
        }
        for (std::size_t c = 0; c < widths.size(); ++c) {
            widths[c] = settled[c] ? wanted[c] : share;
        }
    } else if (!plain) {
        for (double &w : widths) {
            w *= width() / total;
        }
    }

    // Shared by the drawings of every row, which outlive this call.
    const auto columnWidths = std::make_shared<const std::vector<double>>(widths);
    std::vector<bool> rightAligned = table.alignRight;
    rightAligned.resize(static_cast<std::size_t>(columns), false);
    const double lineHeight = bodyMetrics.height();
    // A row taller than a page keeps what fits on one.
    const auto maxLines = static_cast<qsizetype>((bottom() - kTop) / lineHeight) - 3;
    // A line placed in its cell: the text and where its baseline starts.
    struct Line {
        QString text;
        QPointF at;
    };
    const auto rowDrawing = [&](const QStringList &row, const std::vector<double> &advances,
                                bool header, bool keyColumn) {
        std::vector<std::vector<Line>> cells;
        qsizetype lines = 1;
        double x = kSide;
        for (qsizetype c = 0; c < columns; ++c) {
            const auto index = static_cast<std::size_t>(c);
            const bool strong = header || (keyColumn && c == 0);
            const QFontMetricsF &metrics = strong ? boldMetrics : bodyMetrics;
            const double room = widths[index] - 2 * kCellPadding;
            const QString text = c < row.size() ? row[c] : QString();
            // A plain table's values were measured in bold, never narrower
            // than the body font they are drawn in.
            const bool fits = index < advances.size() && advances[index] <= room &&
                              !text.contains(QLatin1Char('\n'));
            QStringList wrapped =
                fits ? QStringList{text.trimmed()} : wrap(text, strong ? bold : body, room);
            if (wrapped.size() > maxLines) {
                wrapped = wrapped.mid(0, maxLines);
                wrapped.back() += QStringLiteral(" \u2026");
            }
            lines = std::max(lines, wrapped.size());
            // Centred on the line as the layout would centre it.
            const double baseline = kCellPadding +
                                    (lineHeight - metrics.ascent() - metrics.descent()) / 2 +
                                    metrics.ascent();
            std::vector<Line> placed;
            placed.reserve(static_cast<std::size_t>(wrapped.size()));
            for (qsizetype l = 0; l < wrapped.size(); ++l) {
                double left = x + kCellPadding;
                if (rightAligned[index]) {
                    const double advance =
                        fits ? advances[index] : metrics.horizontalAdvance(wrapped[l]);
                    left += room - advance;
                }
                placed.push_back({wrapped[l], QPointF(left, baseline + double(l) * lineHeight)});
            }
            cells.push_back(std::move(placed));
            x += widths[index];
        }
        const double height = static_cast<double>(lines) * lineHeight + 2 * kCellPadding;
        return std::make_pair(height, [=](QPainter &p, double top) {
            double x = kSide;
            for (qsizetype c = 0; c < columns; ++c) {
                const auto index = static_cast<std::size_t>(c);
                const double w = (*columnWidths)[index];
                const QRectF cell(x, top, w, height);
                if (header) {
                    p.fillRect(cell, kHeaderFill);
                }
                if (!plain) {
                    p.setPen(QPen(kRuleColour, 0.15 * kMillimetre));
                    p.setBrush(Qt::NoBrush);
                    p.drawRect(cell);
                }
                const bool strong = header || (keyColumn && c == 0);
                p.setFont(strong ? bold : body);
                p.setPen(kInkColour);
                for (const Line &line : cells[index]) {
                    p.drawText(line.at + QPointF(0, top), line.text);
                }
                x += w;
            }
        });
    };

    const auto header = table.header.isEmpty()
                            ? std::make_pair(0.0, std::function<void(QPainter &, double)>())
                            : rowDrawing(table.header, headerAdvances, true, false);
    const auto placeRow = [&](double height, const std::function<void(QPainter &, double)> &draw) {
        const double top = m_y;
        place([=](QPainter &p) { draw(p, top); });
        m_y += height;
    };
    bool headerOnPage = false;
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const auto [height, draw] = rowDrawing(table.rows[r], rowAdvances[r], false, plain);
        if (m_y + height > bottom()) {
            newPage();
            headerOnPage = false;
        }
        if (!headerOnPage && header.second) {
            if (m_y + header.first + height > bottom()) {
                newPage();
            }
            placeRow(header.first, header.second);
        }
        headerOnPage = true;
        placeRow(height, draw);
    }
    if (table.rows.empty() && header.second) {
        need(header.first);
        placeRow(header.first, header.second);
    }
    m_y += 3.0 * kMillimetre;
}

void drawFrame(QPainter &p, const ReportDocument &document, int page, int pages) {
    const QFont font = pdfFont(8.5);
    const QFontMetricsF metrics(font, p.device());
    p.setFont(font);
    p.setPen(kInkColour);
    const double width = kPageWidth - 2 * kSide;
    const QString running = document.period.isEmpty()
                                ? document.title
                                : document.title + QStringLiteral(" \u2014 ") + document.period;
    const double headerTop = kTop - 8.0 * kMillimetre;
    p.drawText(QRectF(kSide, headerTop, width, metrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
               metrics.elidedText(running, Qt::ElideRight, width));
    p.setPen(QPen(kRuleColour, 0.2 * kMillimetre));
    p.drawLine(QPointF(kSide, headerTop + metrics.height() + 1.0 * kMillimetre),
               QPointF(kSide + width, headerTop + metrics.height() + 1.0 * kMillimetre));
    const double footerTop = kPageHeight - kBottom + 6.0 * kMillimetre;
    p.setPen(kInkColour);
    p.drawText(QRectF(kSide, footerTop, width, metrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Generated ") + generatedText(document.generated));
    p.drawText(QRectF(kSide, footerTop, width, metrics.height()), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("Page %1 of %2").arg(page).arg(pages));
}

} // namespace

bool writeReportPdf(const ReportDocument &document, QIODevice &device) {
    QPdfWriter writer(&device);
    writer.setResolution(kResolution);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    writer.setTitle(document.title);
    writer.setCreator(QStringLiteral("Brontel NXA Manager"));

    PageFlow flow(writer);
    flow.text(document.title, pdfFont(18.0, true));
    flow.text(document.period, pdfFont(10.5));
    flow.text(QStringLiteral("Generated ") + generatedText(document.generated), pdfFont(10.5));
    flow.space(4.0 * kMillimetre);
    bool first = true;
    for (const Section &section : document.sections) {
        if (!first) {
            flow.newPage();
        }
        first = false;
        flow.heading(section.heading);
        for (const Block &block : section.blocks) {
            std::visit(Overloaded{
                           [&](const Paragraph &p) {
                               flow.text(p.text, pdfFont(10.0));
                               flow.space(2.0 * kMillimetre);
                           },
                           [&](const Summary &s) {
                               Table table;
                               for (const KeyValue &item : s.items) {
                                   table.rows.push_back({item.key, item.value});
                               }
                               flow.table(table, true);
                           },
                           [&](const Table &t) { flow.table(t, false); },
                           [&](const Chart &c) { flow.chart(c); },
                       },
                       block);
        }
    }

    QPainter painter;
    if (!painter.begin(&writer)) {
        return false;
    }
    const auto &pages = flow.pages();
    const int count = static_cast<int>(pages.size());
    for (int page = 0; page < count; ++page) {
        if (page > 0) {
            writer.newPage();
        }
        drawFrame(painter, document, page + 1, count);
        for (const Drawing &drawing : pages[static_cast<std::size_t>(page)]) {
            drawing(painter);
        }
    }
    return painter.end();
}

} // namespace nxa::document
