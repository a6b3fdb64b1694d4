#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace nxa::exports {

// Spreadsheet programs show at most this many rows of one worksheet; the
// writer never puts more in one, the title row included.
inline constexpr qint64 kWorksheetRowLimit = 1048576;

// How the worksheets of a workbook are named: the first one `first`, sheet n
// from 2 on `continued` followed by n ("Sheet2", or "Records 2" after
// "Records").
struct SheetNaming {
    QString first = QStringLiteral("Sheet1");
    QString continued = QStringLiteral("Sheet");
};

QStringList sheetNames(const SheetNaming &naming, int count);

// Names spreadsheet programs accept: 1 to 31 characters, none of : \ / ? * [ ],
// no apostrophe at either end, no two alike regardless of case.
bool validSheetNames(const QStringList &names);

// Where line `line` (from 1) of the source stands when every worksheet holds at
// most rowsPerSheet rows and each one after the first repeats line 1 as its
// title row: the sheet (from 0) and the row number within it (from 1).
struct SheetPlace {
    int sheet;
    qint64 row;
};
SheetPlace sheetPlace(qint64 line, qint64 rowsPerSheet);

// rowsPerSheet held to what a sheet can show and to room for one row below
// the title.
qint64 usableRowsPerSheet(qint64 rowsPerSheet);

} // namespace nxa::exports
