#pragma once

#include "common/ResultCodes.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QtGlobal>

namespace nxa::app {

inline constexpr char kLogFileName[] = "log.txt";

// "%yyyy-%mm-%dd  %hh:%ii:%ss", two spaces between date and time.
QString runStampText(const QDateTime &when);
// "Extract data from " + dotted address + " to " + the output path unchanged.
QString runDescriptionText(quint32 address, const QString &outputPath);

// One log record in UTF-8 with CR LF line ends: an empty separator line when
// `separated`, the run stamp, the run description (either may be empty) and
// the log text of the result code.
QByteArray logRecord(const QString &stamp, const QString &description, ResultCode resultCode,
                     bool separated);

// Appends one record to the file at `path`, whole or not at all: under an
// exclusive lock of the file, so concurrent runs never interleave their lines
// and the separator line is written only when the file held bytes right
// before this record; a write cut short (full disk, file size limit) is taken
// back. False when the file cannot be opened or the record was not written;
// nobody is told, the exit code carries the result.
bool appendLogRecord(const QString &path, const QString &stamp, const QString &description,
                     ResultCode resultCode);

} // namespace nxa::app
