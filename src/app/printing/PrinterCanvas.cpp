#include "app/printing/PrinterCanvas.h"

#include "app/shared/AppAssets.h"
#include "charts/ChartPainting.h"

#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPrinter>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace nxa::app {

namespace {

const QString kFace = QStringLiteral("Arial");

QColor toColor(report::Rgb colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

} // namespace

PrinterCanvas::PrinterCanvas(QPrinter &printer)
    : m_printer(printer), m_logo(productPicture()), m_pageRepeats(pageRepeats(printer)) {
    if (!m_painter.begin(&m_printer))
        return;
    m_painter.setBackgroundMode(Qt::TransparentMode);
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    enterPage(1);
}

PrinterCanvas::~PrinterCanvas() {
    finish();
}

void PrinterCanvas::finish() {
    if (!m_painter.isActive())
        return;
    endPage();
    m_painter.end();
}

int PrinterCanvas::copiesToDraw(const QPrinter &printer) {
    if (printer.supportsMultipleCopies() || !printer.collateCopies())
        return 1;
    return std::max(1, printer.copyCount());
}

int PrinterCanvas::pageRepeats(const QPrinter &printer) {
    if (printer.supportsMultipleCopies() || printer.collateCopies())
        return 1;
    return std::max(1, printer.copyCount());
}

void PrinterCanvas::startCopy() {
    enterPage(1);
}

bool PrinterCanvas::pageWanted(int page) const {
    if (m_printer.printRange() != QPrinter::PageRange || m_printer.pageRanges().isEmpty())
        return true;
    return m_printer.pageRanges().contains(page);
}

void PrinterCanvas::enterPage(int page) {
    endPage();
    m_page = page;
    m_drawing = m_painter.isActive() && pageWanted(page);
    if (m_drawing && m_pageRepeats == 1)
        openPrinterPage();
}

void PrinterCanvas::openPrinterPage() {
    // The job opened the first printer page already.
    if (m_anyPageEmitted)
        m_printer.newPage();
    m_anyPageEmitted = true;
}

void PrinterCanvas::endPage() {
    if (m_drawing && m_pageRepeats > 1) {
        // The drawing sets the fonts it was made with; the next page is
        // measured in the font set last.
        const QFont current = m_painter.font();
        for (int copy = 0; copy < m_pageRepeats; ++copy) {
            openPrinterPage();
            for (const std::function<void()> &drawing : m_pageDrawing)
                drawing();
        }
        m_painter.setFont(current);
    }
    m_pageDrawing.clear();
    m_drawing = false;
}

void PrinterCanvas::paint(std::function<void()> drawing) {
    if (m_pageRepeats > 1)
        m_pageDrawing.push_back(std::move(drawing));
    else
        drawing();
}

void PrinterCanvas::abort() {
    m_pageDrawing.clear();
    m_drawing = false;
    if (!m_painter.isActive())
        return;
    m_printer.abort();
    m_painter.end();
    // A PDF file cannot be taken back once begun; half a report must not be
    // left where it looks like a whole one.
    if (m_printer.outputFormat() == QPrinter::PdfFormat && !m_printer.outputFileName().isEmpty())
        QFile::remove(m_printer.outputFileName());
}

int PrinterCanvas::pageWidth() const {
    return m_printer.width();
}

int PrinterCanvas::pageHeight() const {
    return m_printer.height();
}

int PrinterCanvas::screenDpi() const {
    // Font sizes follow the screen, not the printer, so a report keeps its
    // proportions on every printer.
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 0;
    return static_cast<int>(std::lround(screen->logicalDotsPerInchY()));
}

void PrinterCanvas::setFont(const report::FontSpec &wanted) {
    QFont font(kFace);
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Normal);
    font.setPixelSize(std::max(1, wanted.pixelSize));
    m_painter.setFont(font);
}

int PrinterCanvas::textWidth(const QString &text) {
    if (text.isEmpty())
        return 0;
    return m_painter.fontMetrics().horizontalAdvance(text);
}

int PrinterCanvas::textHeight(const QString &text) {
    if (text.isEmpty())
        return 0;
    return m_painter.fontMetrics().height();
}

void PrinterCanvas::drawText(int x, int y, const QString &text, report::Rgb colour) {
    if (!m_drawing)
        return;
    const QPoint at(x, y + m_painter.fontMetrics().ascent());
    paint([this, at, text, colour, font = m_painter.font()] {
        m_painter.setFont(font);
        m_painter.setPen(toColor(colour));
        m_painter.drawText(at, text);
    });
}

void PrinterCanvas::fillRect(int x, int y, int width, int height, report::Rgb colour) {
    if (!m_drawing)
        return;
    paint([this, box = QRect(x, y, width, height), colour] {
        m_painter.fillRect(box, toColor(colour));
    });
}

void PrinterCanvas::drawLine(int x, int y, int width, int height, report::Rgb colour) {
    if (!m_drawing)
        return;
    paint([this, x, y, width, height, colour] {
        // One device pixel wide, so the rule stays a hairline at any resolution.
        m_painter.setPen(QPen(toColor(colour), 1));
        m_painter.drawLine(x, y, x + width - 1, y + height - 1);
    });
}

void PrinterCanvas::drawLogo(int x, int y, int width, int height) {
    if (!m_drawing)
        return;
    if (m_logo.isNull())
        return;
    paint([this, box = QRect(x, y, width, height)] { m_painter.drawImage(box, m_logo); });
}

void PrinterCanvas::drawChart(const charts::Chart &chart, const QRect &box) {
    if (!m_drawing)
        return;
    paint([this, chart, box] {
        m_painter.save();
        m_painter.setRenderHint(QPainter::Antialiasing, true);
        charts::paintChart(chart, m_painter, box);
        m_painter.restore();
    });
}

void PrinterCanvas::newPage() {
    enterPage(m_page + 1);
}

} // namespace nxa::app
