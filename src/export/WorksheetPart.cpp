#include "export/WorksheetPart.h"

#include "export/CellText.h"
#include "export/WorkbookFixedParts.h"

#include <charconv>

namespace nxa::exports {

const std::string &ColumnLetterCache::letters(int column) {
    while (static_cast<int>(m_letters.size()) <= column)
        m_letters.push_back(columnLetters(static_cast<int>(m_letters.size())));
    return m_letters[static_cast<size_t>(column)];
}

void writeWorksheetStart(PartBuffer &out, int columnCount, qint64 rowCount, bool selected) {
    out.append(kXmlDeclaration);
    out.append(R"(<worksheet xmlns=")");
    out.append(kSpreadsheetNamespace);
    out.append(R"(" xmlns:r=")");
    out.append(kRelationshipsNamespace);
    out.append(R"(" xmlns:mc=")");
    out.append(kMarkupCompatibilityNamespace);
    out.append(R"(" mc:Ignorable="x14ac" xmlns:x14ac=")");
    out.append(kX14acNamespace);
    out.append(R"("><dimension ref="A1)");
    // A sheet without any field has no last cell; "A1" is the reference
    // spreadsheet programs expect then.
    if (columnCount > 0) {
        out.append(":");
        out.append(columnLetters(columnCount));
        out.appendNumber(rowCount);
    }
    out.append(selected ? R"("/><sheetViews><sheetView tabSelected="1" workbookViewId="0"/>)"
                        : R"("/><sheetViews><sheetView workbookViewId="0"/>)");
    out.append(R"(</sheetViews><sheetFormatPr defaultRowHeight="15" x14ac:dyDescent="0.25"/>)"
               R"(<sheetData>)");
}

void writeWorksheetRow(PartBuffer &out, qint64 rowNumber, std::string_view spans,
                       const std::vector<SheetCell> &cells, ColumnLetterCache &columns) {
    if (cells.empty())
        return;
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, rowNumber).ptr;
    const std::string_view row(digits, static_cast<size_t>(end - digits));

    out.append(R"(<row r=")");
    out.append(row);
    out.append(R"(" spans="1:)");
    out.append(spans);
    out.append(R"(" x14ac:dyDescent="0.25">)");
    for (size_t p = 0; p < cells.size(); ++p) {
        const SheetCell &cell = cells[p];
        if (cell.kind == SheetCell::Kind::Empty)
            continue;
        out.append(R"(<c r=")");
        out.append(columns.letters(static_cast<int>(p) + 1));
        out.append(row);
        if (cell.kind == SheetCell::Kind::Number) {
            out.append(R"("><v>)");
            out.append(cell.number);
        } else {
            out.append(R"(" t="s"><v>)");
            out.appendNumber(cell.stringIndex);
        }
        out.append("</v></c>");
    }
    out.append("</row>");
}

void writeWorksheetEnd(PartBuffer &out) {
    out.append(R"(</sheetData><pageMargins left="0.7" right="0.7" top="0.75" bottom="0.75" )"
               R"(header="0.3" footer="0.3"/></worksheet>)");
}

} // namespace nxa::exports
