#pragma once

#include "common/Progress.h"
#include "export/PartBuffer.h"
#include "export/SharedStringTable.h"
#include "export/WorksheetPart.h"

#include <QIODevice>
#include <QString>

#include <string>
#include <string_view>
#include <vector>

namespace nxa::exports {

// The two passes over a delimited source text. The scan collects the shared
// strings and the counts, and works out the exact size of the worksheet, so
// the worksheet can then be streamed in a second pass without being held.
class WorkbookSource {
public:
    explicit WorkbookSource(const QString &separator);

    // Reads the whole source from its current position; false on a read error
    // or when progress (told the source position out of its size) says stop.
    bool scan(QIODevice &source, const ProgressCallback &progress = {});

    qint64 rowCount() const { return m_rowCount; }
    int columnCount() const { return m_columnCount; }
    qint64 textCellCount() const { return m_textCellCount; }
    const SharedStringTable &strings() const { return m_strings; }

    void writeSharedStrings(PartBuffer &out) const;
    qint64 worksheetSize() const;
    // Reads the source again from its current position (the start) and
    // generates the worksheet; false on a read error or when the source no
    // longer reads as it did during the scan, or when progress says stop.
    bool writeWorksheet(QIODevice &source, PartBuffer &out, const ProgressCallback &progress = {});

private:
    // Splits and classifies one line; false when a text is not in the table
    // and intern is false.
    bool classify(std::string_view line, bool intern);

    std::string m_separator;
    SharedStringTable m_strings;
    qint64 m_rowCount = 0;
    int m_columnCount = 0;
    qint64 m_textCellCount = 0;
    qint64 m_rowBytes = 0;       // all row elements, spans digits left out
    qint64 m_rowsWithFields = 0; // row elements written
    std::vector<std::string_view> m_fields;
    std::vector<SheetCell> m_cells;
    ColumnLetterCache m_columns;
};

} // namespace nxa::exports
