#pragma once

#include <QFile>
#include <QString>

#include <fcntl.h>

namespace nxa {

// The files the program opens by name (log.txt, preferences.pref, the
// exports) must be regular files or not exist yet: a named pipe would hold
// the run for good, and a device would swallow or refuse what is written.

// True when nothing exists at `path` yet or it is a regular file (a link to
// one included).
bool isRegularOrMissing(const QString &path);

// Opens `path` with the open(2) `flags` (O_CREAT allowed) without ever
// blocking, and only when it is a regular file; -1 for anything else.
int openRegularFile(const QString &path, int flags);

// `file` opened on a regular file at its own name with `mode`; false for
// anything else. The file closes the descriptor itself.
bool openRegular(QFile &file, int flags, QIODevice::OpenMode mode);

} // namespace nxa
