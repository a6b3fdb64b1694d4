#include "export/WorkbookSource.h"

#include "export/CellText.h"
#include "export/SourceLineReader.h"

#include <algorithm>
#include <string>

namespace nxa::exports {

namespace {

// Often enough for a progress bar, rarely enough to cost nothing.
constexpr qint64 kLinesPerReport = 4096;

bool reportPosition(const ProgressCallback &progress, qint64 line, QIODevice &source) {
    return line % kLinesPerReport != 0 || reportProgress(progress, source.pos(), source.size());
}

} // namespace

WorkbookSource::WorkbookSource(const QString &separator, SourceLayout layout)
    : m_separator(separator.toStdString()), m_layout(std::move(layout)) {
    m_layout.rowsPerSheet = usableRowsPerSheet(m_layout.rowsPerSheet);
    for (const int column : m_layout.textColumns) {
        if (column < 0)
            continue;
        if (static_cast<size_t>(column) >= m_textColumn.size())
            m_textColumn.resize(static_cast<size_t>(column) + 1);
        m_textColumn[static_cast<size_t>(column)] = true;
    }
}

bool WorkbookSource::classify(std::string_view line, bool intern) {
    splitFields(line, m_separator, m_fields);
    m_cells.resize(m_fields.size());
    if (m_lastTexts.size() < m_fields.size())
        m_lastTexts.resize(m_fields.size());
    m_lookups.clear();
    for (size_t p = 0; p < m_fields.size(); ++p) {
        const std::string_view field = m_fields[p];
        SheetCell &cell = m_cells[p];
        const bool textOnly = p < m_textColumn.size() && m_textColumn[p];
        if (field.empty()) {
            cell = {};
        } else if (!textOnly && isNumeric(field)) {
            cell = {SheetCell::Kind::Number, numberText(field), -1};
        } else {
            const LastText &last = m_lastTexts[p];
            // A column often repeats the text of the line before (a date, a
            // name, a flag): then the table need not be asked at all.
            cell = {SheetCell::Kind::Text, {}, last.index};
            if (last.index < 0 || last.text != field) {
                const size_t hash = SharedStringTable::hashOf(field);
                m_strings.prefetch(hash);
                m_lookups.push_back({p, hash});
            }
        }
    }
    // Every slot of the line is on its way from memory before the first is read.
    for (const Lookup &lookup : m_lookups) {
        const std::string_view field = m_fields[lookup.field];
        LastText &last = m_lastTexts[lookup.field];
        last.index =
            intern ? m_strings.intern(field, lookup.hash) : m_strings.indexOf(field, lookup.hash);
        if (last.index < 0)
            return false;
        last.text.assign(field);
        m_cells[lookup.field].stringIndex = last.index;
    }
    return true;
}

qint64 WorkbookSource::textCellsOfLine() const {
    return std::count_if(m_cells.begin(), m_cells.end(),
                         [](const SheetCell &cell) { return cell.kind == SheetCell::Kind::Text; });
}

bool WorkbookSource::scan(QIODevice &source, const ProgressCallback &progress) {
    m_strings = SharedStringTable();
    m_lastTexts.clear();
    m_lineCount = 0;
    m_columnCount = 0;
    m_textCellCount = 0;
    m_sheets.assign(1, Sheet{});
    m_titleLine.clear();
    m_titleRow = {};
    m_titleTextCells = 0;

    PartBuffer rowCounter;
    SourceLineReader reader(source);
    std::string_view line;
    while (reader.next(line)) {
        ++m_lineCount;
        const SheetPlace place = sheetPlace(m_lineCount, m_layout.rowsPerSheet);
        if (place.sheet == sheetCount()) {
            m_sheets.push_back(m_titleRow);
            m_textCellCount += m_titleTextCells;
        }
        classify(line, true);
        m_columnCount = std::max(m_columnCount, static_cast<int>(m_cells.size()));
        const qint64 textCells = textCellsOfLine();
        m_textCellCount += textCells;
        const qint64 before = rowCounter.size();
        writeWorksheetRow(rowCounter, place.row, {}, m_cells, m_columns);
        Sheet &sheet = m_sheets[static_cast<size_t>(place.sheet)];
        const Sheet added{1, rowCounter.size() - before, m_cells.empty() ? 0 : 1};
        sheet.rows += added.rows;
        sheet.rowBytes += added.rowBytes;
        sheet.rowsWithFields += added.rowsWithFields;
        if (m_lineCount == 1) {
            m_titleLine = line;
            m_titleRow = added;
            m_titleTextCells = textCells;
        }
        if (!reportPosition(progress, m_lineCount, source))
            return false;
    }
    return !reader.failed();
}

void WorkbookSource::writeSharedStrings(PartBuffer &out) const {
    writeSharedStringsPart(out, m_strings, m_textCellCount);
}

qint64 WorkbookSource::worksheetSize(int sheet) const {
    const Sheet &counts = m_sheets[static_cast<size_t>(sheet)];
    PartBuffer counter;
    writeWorksheetStart(counter, m_columnCount, counts.rows, sheet == 0);
    writeWorksheetEnd(counter);
    const auto spansDigits = static_cast<qint64>(std::to_string(m_columnCount).size());
    return counter.size() + counts.rowBytes + counts.rowsWithFields * spansDigits;
}

bool WorkbookSource::writeWorksheets(QIODevice &source, WorksheetOutputs &outputs,
                                     const ProgressCallback &progress) {
    const std::string spans = std::to_string(m_columnCount);
    int sheet = 0;
    PartBuffer *out = outputs.begin(sheet);
    if (!out)
        return false;
    writeWorksheetStart(*out, m_columnCount, m_sheets[0].rows, true);
    SourceLineReader reader(source);
    std::string_view line;
    qint64 lineNumber = 0;
    while (reader.next(line)) {
        ++lineNumber;
        if (lineNumber > m_lineCount)
            return false;
        if (lineNumber == 1)
            m_titleLine = line;
        const SheetPlace place = sheetPlace(lineNumber, m_layout.rowsPerSheet);
        if (place.sheet != sheet) {
            writeWorksheetEnd(*out);
            if (!outputs.end(sheet))
                return false;
            sheet = place.sheet;
            out = outputs.begin(sheet);
            if (!out)
                return false;
            writeWorksheetStart(*out, m_columnCount, m_sheets[static_cast<size_t>(sheet)].rows,
                                false);
            if (!classify(m_titleLine, false))
                return false;
            writeWorksheetRow(*out, 1, spans, m_cells, m_columns);
        }
        if (!classify(line, false) || static_cast<int>(m_cells.size()) > m_columnCount)
            return false;
        writeWorksheetRow(*out, place.row, spans, m_cells, m_columns);
        if (!reportPosition(progress, lineNumber, source))
            return false;
    }
    writeWorksheetEnd(*out);
    const bool ended = outputs.end(sheet);
    return ended && !reader.failed() && lineNumber == m_lineCount && sheet + 1 == sheetCount();
}

namespace {

class SingleOutput : public WorksheetOutputs {
public:
    explicit SingleOutput(PartBuffer &out) : m_out(out) {}
    PartBuffer *begin(int sheet) override { return sheet == 0 ? &m_out : nullptr; }
    bool end(int) override { return true; }

private:
    PartBuffer &m_out;
};

} // namespace

bool WorkbookSource::writeWorksheet(QIODevice &source, PartBuffer &out,
                                    const ProgressCallback &progress) {
    SingleOutput single(out);
    return sheetCount() == 1 && writeWorksheets(source, single, progress);
}

} // namespace nxa::exports
