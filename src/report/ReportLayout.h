#pragma once

#include "report/Canvas.h"
#include "report/PageGeometry.h"

#include <QString>

#include <optional>

namespace nxa::report {

// The vertical flow shared by all reports: a current line position, texts
// placed on it by the placement rules, and the page-break rule applied after
// every advance. Continuation pages repeat nothing.
class ReportLayout {
public:
    explicit ReportLayout(Canvas &canvas);

    const PageGeometry &geometry() const { return m_geometry; }
    int y() const { return m_y; }

    void useFont(FontRole role);
    int textWidth(const QString &text);
    int textHeight(const QString &text);
    // Body-font height of "ABCDEFG12345": the height of grey bands and the
    // least height of a table row.
    int bandHeight();

    // Opaque text at x on the current line: its box is filled white first.
    // Returns the text height, 0 for an empty text (which draws nothing).
    int textAt(int x, const QString &text, Rgb colour = kBlack);
    int left(const ColumnGrid &grid, int column, const QString &text, Rgb colour = kBlack);
    int right(const ColumnGrid &grid, int column, const QString &text, Rgb colour = kBlack);
    int centred(const QString &text);
    // Left-aligned in the body font while the text fits in `room` pixels;
    // a wider one in the largest smaller size that fits, down to 70 % of the
    // body size, and below that at 70 %, cut with "…" to fit.
    int leftFitted(const ColumnGrid &grid, int column, const QString &text, int room,
                   Rgb colour = kBlack);

    // The logo box centred on the current line; returns its height.
    int logo();
    // Light grey band across the printable width, one body line high.
    void band();
    // One-pixel black rule across the printable width.
    void rule();

    // "Peripheral Number: " and the number, centred in the body font, then
    // one line gap.
    void peripheralLine(const QString &number);
    // The report's headline, centred in the title font, then `gaps` line
    // gaps; the body font is in use again afterwards.
    void titleLine(const QString &title, int gaps);
    // Closes a line of column headings whose height is headingHeight: the
    // rule goes one line gap below it and the first row one heading height
    // and a gap below the rule.
    void ruleBelowHeadings(int headingHeight);

    // Moves down by height plus `gaps` line gaps, then applies the page-break rule.
    void advance(int height, int gaps = 1);
    // As advance, for a table row whose last text may be empty: a row always
    // takes at least one body line, so the next row cannot print over it.
    void advanceRow(int lastTextHeight);

private:
    // A page is opened only when something is drawn on it, so a break after
    // the last line leaves no blank page behind.
    void openPendingPage();
    void useBodySize(int pixels);

    Canvas &m_canvas;
    PageGeometry m_geometry;
    int m_y = 0;
    bool m_pageBreakPending = false;
    std::optional<FontRole> m_font;
    int m_bandHeight = -1;
};

} // namespace nxa::report
