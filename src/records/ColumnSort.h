#pragma once

#include "records/DataloggerTable.h"

#include <QString>
#include <QStringView>

#include <vector>

namespace nxa::records {

// Direction of a column sort as the header arrows remember it. Unreadable is
// what a header that cannot be read gives; it sorts like Descending.
enum class SortDirection { Unreadable = 0, Ascending = 1, Descending = 2, None = 3 };

enum class ColumnType { Text = 0, Integer = 1, Decimal = 2, Date = 3 };

// Cells compare by their first 255 characters.
inline constexpr qsizetype kSortTextLimit = 255;

// The direction of the next click: Ascending after None or Descending,
// Descending after Ascending, Unreadable after Unreadable.
SortDirection nextDirection(SortDirection current);

ColumnType detectColumnType(QStringView text);
// "%dd/%mm/%yyyy"-style mask with the text's own separators, or empty when the
// text is no day/month date (year-first dates give the empty mask).
QString detectDateMask(QStringView text);

// The type from the first, last and middle rows' cells; a date column whose
// samples give no mask falls back to text. dateMask receives the mask.
ColumnType chooseColumnType(const DataloggerTable &table, int column, QString *dateMask);

// Numeric readings of a cell, as the comparisons use them.
qint64 integerValue(QStringView text);
double decimalValue(QStringView text);
// A number that orders date texts of the mask by time; texts that do not fit
// the mask order before every date.
qint64 dateValue(QStringView text, QStringView mask);

// -1, 0 or 1 by value: a strict weak ordering in which different texts of
// equal value are equivalent.
int compareCells(QStringView a, QStringView b, ColumnType type, QStringView dateMask);

// Row order after sorting by the column: a stable sort, so rows of equal
// value keep their current order; Descending and Unreadable reverse the
// comparison. An invalid column gives the current order.
std::vector<int> sortedOrder(const DataloggerTable &table, int column, SortDirection direction);
void sortTable(DataloggerTable &table, int column, SortDirection direction);

} // namespace nxa::records
