#pragma once

#include <QFile>
#include <QString>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nxa {

// The files the program opens by name (log.txt, preferences.pref, the
// exports) must be regular files or not exist yet: a named pipe would hold
// the run for good, and a device would swallow or refuse what is written.

// True when nothing exists at `path` yet or it is a regular file (a link to
// one included).
inline bool isRegularOrMissing(const QString &path) {
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return errno == ENOENT;
    return S_ISREG(info.st_mode);
}

// Opens `path` with the open(2) `flags` (O_CREAT allowed) without ever
// blocking, and only when it is a regular file; -1 for anything else.
inline int openRegularFile(const QString &path, int flags) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0)
        return -1;
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// `file` opened on a regular file at its own name; false for anything else.
// The file closes its descriptor itself.
inline bool openRegular(QFile &file, int flags, QIODevice::OpenMode mode) {
    const int fd = openRegularFile(file.fileName(), flags);
    if (fd < 0)
        return false;
    if (file.open(fd, mode, QFileDevice::AutoCloseHandle))
        return true;
    ::close(fd);
    return false;
}

} // namespace nxa
