#pragma once

#include "common/ResultCodes.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include <functional>

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

// How long a run waits for another process to give up its lock of log.txt
// (`flock`, a stale lock on a network share).
inline constexpr int kLogLockWaitMs = 30000;

enum class LogAppend {
    Written,
    NotOpened,   // no such file can be created, or it is no regular file
    NotWritten,  // the write was cut short and taken back
    Locked,      // another process held the lock for the whole wait
    WaitStopped, // `stopWaiting` ended the wait for the lock
};

// Appends one record to the file at `path`, whole or not at all: under an
// exclusive lock of the file, so concurrent runs never interleave their lines
// and the separator line is written only when the file held bytes right
// before this record; a write cut short (full disk, file size limit) is taken
// back. The lock is waited for at most `lockWaitMs`, and only as long as
// `stopWaiting` (asked every few milliseconds) says no.
LogAppend appendLogRecord(const QString &path, const QString &stamp, const QString &description,
                          ResultCode resultCode, const std::function<bool()> &stopWaiting = {},
                          int lockWaitMs = kLogLockWaitMs);

// The record of a command-line run, appended to log.txt in the working
// directory. A termination signal ends a wait for the lock. Nobody is told
// when the file cannot be opened or the record does not fit (the exit code
// carries the result); a record left unwritten for the lock is reported on
// standard error, since nothing else would tell why it is missing.
void appendRunRecord(const QString &stamp, const QString &description, ResultCode resultCode);

} // namespace nxa::app
