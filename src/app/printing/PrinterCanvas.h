#pragma once

#include "charts/ChartInputs.h"
#include "report/Canvas.h"

#include <QFont>
#include <QImage>
#include <QPainter>

#include <functional>
#include <vector>

class QPrinter;

namespace nxa::app {

// Draws a report on a printer in printer pixels. Starting to paint starts the
// job and opens its first page; each new page is handed to the printer as
// soon as the next one opens, so a long report is streamed, not held. Pages
// outside the range chosen in the printer dialog are laid out but not
// emitted. Uncollated copies that the print system cannot make itself are
// made page by page: a page's drawing is kept until the page ends, then
// emitted once per copy.
class PrinterCanvas : public report::Canvas {
public:
    explicit PrinterCanvas(QPrinter &printer);
    ~PrinterCanvas() override;

    // False when the job or the drawing could not start; nothing is drawn then.
    bool isActive() const { return m_painter.isActive(); }
    // Ends the job, closing the last page.
    void finish();
    // The document starts again on a new page, counted from page 1: one more
    // copy when the print system cannot make copies itself.
    void startCopy();
    // How many times the document must be drawn for the copies asked for.
    static int copiesToDraw(const QPrinter &printer);
    // How many times each page must be emitted in a row for them.
    static int pageRepeats(const QPrinter &printer);
    // Ends the job without printing what it holds, where the printer allows;
    // a PDF file it was writing is removed.
    void abort();

    int pageWidth() const override;
    int pageHeight() const override;
    int screenDpi() const override;

    void setFont(const report::FontSpec &font) override;
    int textWidth(const QString &text) override;
    int textHeight(const QString &text) override;

    void drawText(int x, int y, const QString &text, report::Rgb colour) override;
    void fillRect(int x, int y, int width, int height, report::Rgb colour) override;
    void drawLine(int x, int y, int width, int height, report::Rgb colour) override;
    void drawLogo(int x, int y, int width, int height) override;
    void newPage() override;
    // A chart scaled into box, in page pixels.
    void drawChart(const charts::Chart &chart, const QRect &box);

private:
    bool pageWanted(int page) const;
    // Moves on to `page` of the current copy, opening a printer page only
    // for a page that is emitted after another one was.
    void enterPage(int page);
    void openPrinterPage();
    // Emits a kept page once per uncollated copy.
    void endPage();
    // Draws now, or keeps the drawing for the page's copies.
    void paint(std::function<void()> drawing);

    QPrinter &m_printer;
    QPainter m_painter;
    QImage m_logo;
    int m_pageRepeats = 1;
    std::vector<std::function<void()>> m_pageDrawing;
    int m_page = 0;         // page of the current copy, from 1
    bool m_drawing = false; // the current page is emitted
    bool m_anyPageEmitted = false;
};

} // namespace nxa::app
