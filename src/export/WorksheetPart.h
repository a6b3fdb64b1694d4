#pragma once

#include "export/PartBuffer.h"

#include <string>
#include <string_view>
#include <vector>

namespace nxa::exports {

// One field of a source line as the worksheet stores it.
struct SheetCell {
    enum class Kind { Empty, Number, Text };
    Kind kind = Kind::Empty;
    std::string_view number; // the number text, for Kind::Number
    int stringIndex = -1;    // the shared-string index, for Kind::Text
};

// Column letters by column number, worked out once per column.
class ColumnLetterCache {
public:
    const std::string &letters(int column);

private:
    std::vector<std::string> m_letters;
};

// The pieces of a worksheet part. The row count is the sheet's, the column
// count that of the whole source; spans is the column count as decimal text.
// Only the selected sheet is marked so: spreadsheet programs take several
// marked sheets for a group and apply every edit to all of them.
void writeWorksheetStart(PartBuffer &out, int columnCount, qint64 rowCount, bool selected = true);
void writeWorksheetRow(PartBuffer &out, qint64 rowNumber, std::string_view spans,
                       const std::vector<SheetCell> &cells, ColumnLetterCache &columns);
void writeWorksheetEnd(PartBuffer &out);

} // namespace nxa::exports
