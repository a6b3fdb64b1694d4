#include "report/DataloggerReport.h"

#include "records/DataloggerTable.h"
#include "report/ReportLayout.h"

#include <algorithm>

namespace nxa::report {

namespace {

using records::Row;

// Heading columns, in column units from the side margin.
constexpr int kIndexColumn = 5;       // right
constexpr int kPnColumn = 8;          // right
constexpr int kIdColumn = 13;         // right
constexpr int kNameColumn = 15;       // left
constexpr int kWristStrapColumn = 37; // right
constexpr int kLeftColumn = 46;       // right
constexpr int kRightColumn = 55;      // right
constexpr int kLeftRightColumn = 64;  // right
constexpr int kPassColumn = 65;       // left
constexpr int kRelayColumn = 70;      // left
constexpr int kRecColumn = 75;        // left
constexpr int kDateColumn = 80;       // left
constexpr int kTimeColumn = 90;       // left

const QString kYes = QStringLiteral("Y");
const QString kNo = QStringLiteral("N");

// The first character, whole even when it is a surrogate pair.
QString firstCharacter(const QString &text) {
    if (text.size() >= 2 && text.at(0).isHighSurrogate() && text.at(1).isLowSurrogate())
        return text.left(2);
    return text.left(1);
}

void drawHeadings(ReportLayout &layout, bool hideValues) {
    const ColumnGrid grid = layout.geometry().wideGrid;
    layout.right(grid, kIndexColumn, QStringLiteral("#"));
    layout.right(grid, kPnColumn, QStringLiteral("PN"));
    layout.right(grid, kIdColumn, QStringLiteral("ID"));
    layout.left(grid, kNameColumn, QStringLiteral("Name"));
    if (!hideValues) {
        layout.right(grid, kWristStrapColumn, QStringLiteral("WS"));
        layout.right(grid, kLeftColumn, QStringLiteral("L"));
        layout.right(grid, kRightColumn, QStringLiteral("R"));
        layout.right(grid, kLeftRightColumn, QStringLiteral("L+R"));
    }
    layout.left(grid, kPassColumn, QStringLiteral("Pass"));
    layout.left(grid, kRelayColumn, QStringLiteral("Relay"));
    layout.left(grid, kRecColumn, QStringLiteral("Rec"));
    layout.left(grid, kDateColumn, QStringLiteral("Date"));
    layout.ruleBelowHeadings(layout.left(grid, kTimeColumn, QStringLiteral("Time")));
}

void drawRow(ReportLayout &layout, int r, const Row &row, bool hideValues) {
    const ColumnGrid grid = layout.geometry().wideGrid;
    if (r % 2 == 1)
        layout.band();
    layout.right(grid, kIndexColumn, QString::number(r));
    layout.right(grid, kPnColumn, row[records::kColumnPn]);
    layout.right(grid, kIdColumn, row[records::kColumnId]);
    // The name may take the room up to the first value printed after it,
    // less one column unit so the two never touch.
    int nextLeft = grid.x(kPassColumn);
    const auto valueAt = [&](int column, const QString &text) {
        if (!text.isEmpty())
            nextLeft = std::min(nextLeft, grid.x(column) - layout.textWidth(text));
    };
    if (!hideValues) {
        if (!row[records::kColumnLeft].isEmpty()) {
            valueAt(kWristStrapColumn, row[records::kColumnWristStrap]);
            valueAt(kLeftColumn, row[records::kColumnLeft]);
            valueAt(kRightColumn, row[records::kColumnRight]);
        }
        valueAt(kLeftRightColumn, row[records::kColumnLeftRight]);
    }
    layout.leftFitted(grid, kNameColumn, row[records::kColumnName],
                      nextLeft - grid.x(kNameColumn) - grid.unit);
    if (!hideValues) {
        // Without a left-foot value the station measured L+R only.
        if (!row[records::kColumnLeft].isEmpty()) {
            layout.right(grid, kWristStrapColumn, row[records::kColumnWristStrap]);
            layout.right(grid, kLeftColumn, row[records::kColumnLeft]);
            layout.right(grid, kRightColumn, row[records::kColumnRight]);
        }
        layout.right(grid, kLeftRightColumn, row[records::kColumnLeftRight]);
    }
    if (row[records::kColumnPass] == kYes)
        layout.left(grid, kPassColumn, kYes);
    else
        layout.left(grid, kPassColumn, kNo, kRed);
    layout.left(grid, kRelayColumn, row[records::kColumnRelay] == kYes ? kYes : kNo);
    layout.left(grid, kRecColumn, firstCharacter(row[records::kColumnRecognition]));
    layout.left(grid, kDateColumn, row[records::kColumnDate]);
    layout.advanceRow(layout.left(grid, kTimeColumn, row[records::kColumnTime]));
}

} // namespace

bool holdsSinglePeripheral(const records::DataloggerTable &table) {
    for (int r = 1; r < table.rowCount(); ++r) {
        if (table.keyCell(r, records::kColumnPn) != table.keyCell(r - 1, records::kColumnPn))
            return false;
    }
    return true;
}

bool dataloggerReport(Canvas &canvas, const records::DataloggerTable &table, bool hideValues,
                      const QString &title, const ProgressCallback &progress) {
    ReportLayout layout(canvas);
    layout.useFont(FontRole::Body);
    layout.advance(layout.logo());
    if (holdsSinglePeripheral(table)) {
        const QString pn = table.rowCount() > 0 ? table.cell(0, records::kColumnPn) : QString();
        layout.peripheralLine(pn);
    }
    layout.titleLine(title, 2);
    drawHeadings(layout, hideValues);
    // A page holds a few dozen rows: report about once a page.
    constexpr int kRowsPerReport = 64;
    for (int r = 0; r < table.rowCount(); ++r) {
        drawRow(layout, r, table.row(r), hideValues);
        if (r % kRowsPerReport == kRowsPerReport - 1 &&
            !reportProgress(progress, r + 1, table.rowCount()))
            return false;
    }
    return true;
}

} // namespace nxa::report
