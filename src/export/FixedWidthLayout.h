#pragma once

#include "common/Progress.h"
#include "records/DataloggerTable.h"
#include "records/FixedWidthColumns.h"

#include <QIODevice>
#include <QString>
#include <QStringView>

#include <array>

namespace nxa::exports {

// The column layout shared by the text export and the temporary file of the
// workbook export: thirteen right-aligned fields of fixed width.
inline constexpr int kExportColumnCount = records::kKeyColumnCount;
inline constexpr const std::array<int, kExportColumnCount> &kExportWidths = records::kFixedWidths;
inline constexpr int kExportLineWidth = records::kFixedWidthLineWidth;

const std::array<QString, kExportColumnCount> &exportTitles();

// Appends text right-aligned in width characters (UTF-16 units): padded on
// the left with spaces, or cut to its first width characters.
void appendAligned(QString &out, QStringView text, int width);

// Appends the title line or one table row: the thirteen fields, each followed
// by cellEnd when it is not null, then CR LF.
void appendTitleLine(QString &out, QChar cellEnd = QChar());
void appendRowLine(QString &out, const records::Row &row, QChar cellEnd = QChar());
// The same for row r of the table, read in place.
void appendTableRowLine(QString &out, const records::DataloggerTable &table, int r,
                        QChar cellEnd = QChar());

// Writes the title line and every row of the table to the device, UTF-8, each
// field followed by cellEnd when it is not null; false when a write fails or
// progress (told the rows written out of the row count) says stop.
bool writeLayoutLines(const records::DataloggerTable &table, QIODevice &device,
                      QChar cellEnd = QChar(), const ProgressCallback &progress = {});

} // namespace nxa::exports
