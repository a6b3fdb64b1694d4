#include "report/ReportLayout.h"

#include <algorithm>

namespace nxa::report {

namespace {

const QString kBandSample = QStringLiteral("ABCDEFG12345");
const QString kEllipsis = QStringLiteral("\u2026");
// A name set smaller than this share of the body size is no easier to read
// than one that is cut.
constexpr int kSmallestFitPercent = 70;

// The first `length` characters, one less when that would split a
// surrogate pair.
QString leftWhole(const QString &text, qsizetype length) {
    if (length > 0 && length < text.size() && text.at(length).isLowSurrogate())
        --length;
    return text.left(length);
}

} // namespace

ReportLayout::ReportLayout(Canvas &canvas)
    : m_canvas(canvas),
      m_geometry(pageGeometry(canvas.pageWidth(), canvas.pageHeight(), canvas.screenDpi())),
      m_y(m_geometry.topMargin) {}

void ReportLayout::useFont(FontRole role) {
    if (m_font == role)
        return;
    m_font = role;
    if (role == FontRole::Title)
        m_canvas.setFont({role, m_geometry.titlePoints, m_geometry.titlePixels});
    else
        m_canvas.setFont({role, m_geometry.bodyPoints, m_geometry.bodyPixels});
}

int ReportLayout::textWidth(const QString &text) {
    return text.isEmpty() ? 0 : m_canvas.textWidth(text);
}

int ReportLayout::textHeight(const QString &text) {
    return text.isEmpty() ? 0 : m_canvas.textHeight(text);
}

int ReportLayout::bandHeight() {
    if (m_bandHeight < 0) {
        const std::optional<FontRole> previous = m_font;
        useFont(FontRole::Body);
        m_bandHeight = textHeight(kBandSample);
        if (previous)
            useFont(*previous);
    }
    return m_bandHeight;
}

int ReportLayout::textAt(int x, const QString &text, Rgb colour) {
    if (text.isEmpty())
        return 0;
    openPendingPage();
    const int width = m_canvas.textWidth(text);
    const int height = m_canvas.textHeight(text);
    m_canvas.fillRect(x, m_y, width, height, kWhite);
    m_canvas.drawText(x, m_y, text, colour);
    return height;
}

int ReportLayout::left(const ColumnGrid &grid, int column, const QString &text, Rgb colour) {
    return textAt(grid.x(column), text, colour);
}

int ReportLayout::right(const ColumnGrid &grid, int column, const QString &text, Rgb colour) {
    return textAt(grid.x(column) - textWidth(text), text, colour);
}

void ReportLayout::useBodySize(int pixels) {
    const int body = m_geometry.bodyPixels;
    m_canvas.setFont(
        {FontRole::Body, body > 0 ? m_geometry.bodyPoints * pixels / body : 0, pixels});
    // The next useFont sets the font again.
    m_font.reset();
}

int ReportLayout::leftFitted(const ColumnGrid &grid, int column, const QString &text, int room,
                             Rgb colour) {
    useFont(FontRole::Body);
    const int width = textWidth(text);
    if (width <= room)
        return left(grid, column, text, colour);
    const int body = m_geometry.bodyPixels;
    const int smallest = std::min(body, (body * kSmallestFitPercent + 99) / 100);
    // Widths grow about in proportion to the size: start near the size that
    // fits and step down until it does.
    int size = std::clamp(room > 0 ? body * room / width + 1 : smallest, smallest, body);
    useBodySize(size);
    while (size > smallest && textWidth(text) > room)
        useBodySize(--size);
    QString shown = text;
    for (qsizetype keep = text.size(); keep > 0 && textWidth(shown) > room;) {
        keep = leftWhole(text, keep - 1).size();
        shown = leftWhole(text, keep) + kEllipsis;
    }
    const int height = left(grid, column, shown, colour);
    useFont(FontRole::Body);
    return height;
}

int ReportLayout::centred(const QString &text) {
    return textAt(m_geometry.pageCentre - textWidth(text) / 2, text);
}

int ReportLayout::logo() {
    openPendingPage();
    m_canvas.drawLogo(m_geometry.pageCentre - m_geometry.logoWidth / 2, m_y, m_geometry.logoWidth,
                      m_geometry.logoHeight);
    return m_geometry.logoHeight;
}

void ReportLayout::band() {
    const int height = bandHeight();
    openPendingPage();
    m_canvas.fillRect(m_geometry.sideMargin, m_y, m_geometry.ruleWidth, height, kBandGrey);
}

void ReportLayout::rule() {
    openPendingPage();
    m_canvas.drawLine(m_geometry.sideMargin, m_y, m_geometry.ruleWidth, 1, kBlack);
}

void ReportLayout::peripheralLine(const QString &number) {
    useFont(FontRole::Body);
    advance(centred(QStringLiteral("Peripheral Number: ") + number));
}

void ReportLayout::titleLine(const QString &title, int gaps) {
    useFont(FontRole::Title);
    advance(centred(title), gaps);
    useFont(FontRole::Body);
}

void ReportLayout::ruleBelowHeadings(int headingHeight) {
    advance(headingHeight);
    rule();
    advance(headingHeight);
}

void ReportLayout::advance(int height, int gaps) {
    m_y += height + gaps * m_geometry.lineGap;
    if (m_y > m_geometry.bottomLimit) {
        m_pageBreakPending = true;
        m_y = m_geometry.topMargin;
    }
}

void ReportLayout::advanceRow(int lastTextHeight) {
    advance(std::max(lastTextHeight, bandHeight()));
}

void ReportLayout::openPendingPage() {
    if (!m_pageBreakPending)
        return;
    m_pageBreakPending = false;
    m_canvas.newPage();
}

} // namespace nxa::report
