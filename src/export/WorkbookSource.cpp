#include "export/WorkbookSource.h"

#include "export/CellText.h"
#include "export/SourceLineReader.h"

#include <string>

namespace nxa::exports {

namespace {

// Often enough for a progress bar, rarely enough to cost nothing.
constexpr qint64 kLinesPerReport = 4096;

bool reportPosition(const ProgressCallback &progress, qint64 line, QIODevice &source) {
    return line % kLinesPerReport != 0 || reportProgress(progress, source.pos(), source.size());
}

} // namespace

WorkbookSource::WorkbookSource(const QString &separator) : m_separator(separator.toStdString()) {}

bool WorkbookSource::classify(std::string_view line, bool intern) {
    splitFields(line, m_separator, m_fields);
    m_cells.resize(m_fields.size());
    for (size_t p = 0; p < m_fields.size(); ++p) {
        const std::string_view field = m_fields[p];
        SheetCell &cell = m_cells[p];
        if (field.empty()) {
            cell = {};
        } else if (isNumeric(field)) {
            cell = {SheetCell::Kind::Number, numberText(field), -1};
        } else {
            const int index = intern ? m_strings.intern(field) : m_strings.indexOf(field);
            if (index < 0)
                return false;
            cell = {SheetCell::Kind::Text, {}, index};
        }
    }
    return true;
}

bool WorkbookSource::scan(QIODevice &source, const ProgressCallback &progress) {
    m_strings = SharedStringTable();
    m_rowCount = 0;
    m_columnCount = 0;
    m_textCellCount = 0;
    m_rowBytes = 0;
    m_rowsWithFields = 0;

    PartBuffer rowCounter;
    SourceLineReader reader(source);
    std::string_view line;
    while (reader.next(line)) {
        ++m_rowCount;
        classify(line, true);
        m_columnCount = std::max(m_columnCount, static_cast<int>(m_cells.size()));
        for (const SheetCell &cell : m_cells) {
            if (cell.kind == SheetCell::Kind::Text)
                ++m_textCellCount;
        }
        if (!m_cells.empty())
            ++m_rowsWithFields;
        writeWorksheetRow(rowCounter, m_rowCount, {}, m_cells, m_columns);
        if (!reportPosition(progress, m_rowCount, source))
            return false;
    }
    m_rowBytes = rowCounter.size();
    return !reader.failed();
}

void WorkbookSource::writeSharedStrings(PartBuffer &out) const {
    writeSharedStringsPart(out, m_strings, m_textCellCount);
}

qint64 WorkbookSource::worksheetSize() const {
    PartBuffer counter;
    writeWorksheetStart(counter, m_columnCount, m_rowCount);
    writeWorksheetEnd(counter);
    const auto spansDigits = static_cast<qint64>(std::to_string(m_columnCount).size());
    return counter.size() + m_rowBytes + m_rowsWithFields * spansDigits;
}

bool WorkbookSource::writeWorksheet(QIODevice &source, PartBuffer &out,
                                    const ProgressCallback &progress) {
    writeWorksheetStart(out, m_columnCount, m_rowCount);
    const std::string spans = std::to_string(m_columnCount);
    SourceLineReader reader(source);
    std::string_view line;
    qint64 rowNumber = 0;
    while (reader.next(line)) {
        ++rowNumber;
        if (rowNumber > m_rowCount || !classify(line, false) ||
            static_cast<int>(m_cells.size()) > m_columnCount)
            return false;
        writeWorksheetRow(out, rowNumber, spans, m_cells, m_columns);
        if (!reportPosition(progress, rowNumber, source))
            return false;
    }
    writeWorksheetEnd(out);
    return !reader.failed() && rowNumber == m_rowCount;
}

} // namespace nxa::exports
