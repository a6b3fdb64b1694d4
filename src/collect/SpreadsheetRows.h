#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace nxa::collect {

// One row of a list a plant keeps in a spreadsheet, with the line (CSV) or
// row number (XLSX) a person would look for in the file.
struct SpreadsheetRow {
    int line = 0;
    QStringList cells;
};

struct SpreadsheetRead {
    std::vector<SpreadsheetRow> rows; // the header row first; empty rows left out
    QString error;                    // empty when the file was read whole
    int errorLine = 0;                // 0 when the fault has no line
};

// Files larger than this are no list of persons.
inline constexpr qint64 kMaxSpreadsheetBytes = 64LL * 1024 * 1024;

// Reads a CSV file (RFC 4180, UTF-8 with or without its byte-order mark,
// fields separated by commas or by semicolons, whichever the header row uses)
// or the first worksheet of an XLSX workbook, told apart by the file's first
// bytes. A number cell of a workbook reads as the number a person sees ("12",
// not "12.0"). Nothing is returned but the error when any part is unreadable.
SpreadsheetRead readSpreadsheet(const QString &path);

// The same from bytes already read.
SpreadsheetRead readCsv(const QByteArray &bytes);
SpreadsheetRead readXlsxFirstSheet(const QByteArray &bytes);

} // namespace nxa::collect
