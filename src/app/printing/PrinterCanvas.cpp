#include "app/printing/PrinterCanvas.h"

#include "app/shared/AppAssets.h"

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

PrinterCanvas::PrinterCanvas(QPrinter &printer) : m_printer(printer), m_logo(productPicture()) {
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
    if (m_painter.isActive())
        m_painter.end();
}

int PrinterCanvas::copiesToDraw(const QPrinter &printer) {
    return printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
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
    m_page = page;
    m_drawing = m_painter.isActive() && pageWanted(page);
    if (!m_drawing)
        return;
    // The job opened the first printer page already.
    if (m_anyPageEmitted)
        m_printer.newPage();
    m_anyPageEmitted = true;
}

void PrinterCanvas::abort() {
    if (m_painter.isActive())
        m_printer.abort();
    finish();
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
    m_painter.setPen(toColor(colour));
    m_painter.drawText(QPoint(x, y + m_painter.fontMetrics().ascent()), text);
}

void PrinterCanvas::fillRect(int x, int y, int width, int height, report::Rgb colour) {
    if (!m_drawing)
        return;
    m_painter.fillRect(QRect(x, y, width, height), toColor(colour));
}

void PrinterCanvas::drawLine(int x, int y, int width, int height, report::Rgb colour) {
    if (!m_drawing)
        return;
    // One device pixel wide, so the rule stays a hairline at any resolution.
    m_painter.setPen(QPen(toColor(colour), 1));
    m_painter.drawLine(x, y, x + width - 1, y + height - 1);
}

void PrinterCanvas::drawLogo(int x, int y, int width, int height) {
    if (!m_drawing)
        return;
    if (m_logo.isNull())
        return;
    m_painter.drawImage(QRect(x, y, width, height), m_logo);
}

void PrinterCanvas::newPage() {
    enterPage(m_page + 1);
}

} // namespace nxa::app
