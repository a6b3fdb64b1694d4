#pragma once

#include <QIODevice>
#include <QString>

namespace nxa::exports {

// Turns a delimited UTF-8 source text into an XLSX workbook of one sheet:
// every line a row, every field a cell, numbers as numbers, other texts as
// shared strings. The source is read twice and left as it is. The workbook is
// written beside the target and renamed over it only when complete; false
// (and any earlier target untouched) when the source cannot be read or the
// workbook cannot be written.
bool writeWorkbook(const QString &sourcePath, const QString &targetPath, const QString &separator);

// The same from an open, seekable source to an open target device.
bool writeWorkbook(QIODevice &source, QIODevice &target, const QString &separator);

} // namespace nxa::exports
