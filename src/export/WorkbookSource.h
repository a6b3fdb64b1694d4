#pragma once

#include "common/Progress.h"
#include "export/PartBuffer.h"
#include "export/SharedStringTable.h"
#include "export/WorksheetPart.h"
#include "export/WorksheetSplit.h"

#include <QIODevice>
#include <QString>

#include <string>
#include <string_view>
#include <vector>

namespace nxa::exports {

// How the source's lines become worksheets and cells.
struct SourceLayout {
    // Rows per worksheet, the title row included: the lines past it continue
    // on further sheets, each starting with line 1 again.
    qint64 rowsPerSheet = kWorksheetRowLimit;
    // Field positions (from 0) always stored as text, even when they read as
    // numbers ("007" stays "007").
    std::vector<int> textColumns;
};

// Where each worksheet goes while the second pass streams them: begin gives
// the buffer for sheet n (from 0), or null to stop; end finishes that sheet.
class WorksheetOutputs {
public:
    virtual ~WorksheetOutputs() = default;
    virtual PartBuffer *begin(int sheet) = 0;
    virtual bool end(int sheet) = 0;
};

// The two passes over a delimited source text. The scan collects the shared
// strings and the counts, and works out the exact size of every worksheet, so
// the worksheets can then be streamed in a second pass without being held.
class WorkbookSource {
public:
    explicit WorkbookSource(const QString &separator, SourceLayout layout = {});

    // Reads the whole source from its current position; false on a read error
    // or when progress (told the source position out of its size) says stop.
    bool scan(QIODevice &source, const ProgressCallback &progress = {});

    // Lines of the source, empty lines included.
    qint64 rowCount() const { return m_lineCount; }
    int columnCount() const { return m_columnCount; }
    qint64 textCellCount() const { return m_textCellCount; }
    const SharedStringTable &strings() const { return m_strings; }
    int sheetCount() const { return static_cast<int>(m_sheets.size()); }
    // Rows of sheet n, its repeated title row included.
    qint64 sheetRowCount(int sheet) const { return m_sheets[static_cast<size_t>(sheet)].rows; }

    void writeSharedStrings(PartBuffer &out) const;
    qint64 worksheetSize(int sheet = 0) const;
    // Reads the source again from its current position (the start) and
    // generates every worksheet in turn; false on a read error, when an
    // output fails, when the source no longer reads as it did during the scan,
    // or when progress says stop.
    bool writeWorksheets(QIODevice &source, WorksheetOutputs &outputs,
                         const ProgressCallback &progress = {});
    // The same for a source that fits on one sheet; false for a longer one.
    bool writeWorksheet(QIODevice &source, PartBuffer &out, const ProgressCallback &progress = {});

private:
    struct Sheet {
        qint64 rows = 0;
        qint64 rowBytes = 0;       // all row elements, spans digits left out
        qint64 rowsWithFields = 0; // row elements written
    };

    // Splits and classifies one line; false when a text is not in the table
    // and intern is false.
    bool classify(std::string_view line, bool intern);
    qint64 textCellsOfLine() const;

    std::string m_separator;
    SourceLayout m_layout;
    std::vector<bool> m_textColumn;
    SharedStringTable m_strings;
    // Per field position, the last text looked up and its index.
    struct LastText {
        std::string text;
        int index = -1;
    };
    std::vector<LastText> m_lastTexts;
    // The texts of the line being classified that the table is asked for.
    struct Lookup {
        size_t field;
        size_t hash;
    };
    std::vector<Lookup> m_lookups;
    qint64 m_lineCount = 0;
    int m_columnCount = 0;
    qint64 m_textCellCount = 0;
    std::vector<Sheet> m_sheets{1};
    // Line 1, which every later sheet repeats, and what it adds to a sheet.
    std::string m_titleLine;
    Sheet m_titleRow;
    qint64 m_titleTextCells = 0;
    std::vector<std::string_view> m_fields;
    std::vector<SheetCell> m_cells;
    ColumnLetterCache m_columns;
};

} // namespace nxa::exports
