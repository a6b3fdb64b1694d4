#include "common/RegularFile.h"

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace nxa {

namespace {
constexpr mode_t kNewFileMode = 0666; // narrowed by the umask
}

bool isRegularOrMissing(const QString &path) {
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return errno == ENOENT;
    return S_ISREG(info.st_mode);
}

int openRegularFile(const QString &path, int flags) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), flags | O_NONBLOCK | O_CLOEXEC, kNewFileMode);
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

bool openRegular(QFile &file, int flags, QIODevice::OpenMode mode) {
    const int fd = openRegularFile(file.fileName(), flags);
    if (fd < 0)
        return false;
    if (file.open(fd, mode, QFileDevice::AutoCloseHandle))
        return true;
    ::close(fd);
    return false;
}

} // namespace nxa
