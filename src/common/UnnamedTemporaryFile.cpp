#include "common/UnnamedTemporaryFile.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nxa {

namespace {

constexpr int kNameAttempts = 16;
constexpr qint64 kCopyChunk = 1 << 16;

QByteArray shortNameIn(const QString &folder) {
    return QFile::encodeName(folder) + "/.nxa-" +
           QByteArray::number(QRandomGenerator::global()->generate64(), 36);
}

// Gives the unnamed file `fd` the name `name`; false when the file system
// cannot (a file whose name was removed cannot get one back) or the name is
// taken.
bool linkUnnamed(int fd, const QByteArray &name) {
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    return ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0;
}

bool writeAll(int fd, const char *data, qint64 size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

// A named file `name` holding the bytes of `file`, with permissions `mode`.
bool copyInto(QFile &file, const QByteArray &name, mode_t mode) {
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, mode) == 0 && file.seek(0);
    QByteArray chunk;
    while (ok && !file.atEnd()) {
        chunk = file.read(kCopyChunk);
        ok = !chunk.isEmpty() && writeAll(fd, chunk.constData(), chunk.size());
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok)
        ::unlink(name.constData());
    return ok;
}

} // namespace

bool openUnnamedTemporaryFile(QFile &file, const QString &folder, mode_t mode) {
    const QByteArray where = QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder);
    int fd = ::open(where.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
    if (fd < 0) {
        QTemporaryFile named(folder + QStringLiteral("/.nxa-XXXXXX"));
        if (!named.open())
            return false;
        fd = ::dup(named.handle());
        if (fd >= 0)
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        // The named file goes with `named`; the descriptor keeps its bytes.
    }
    if (fd < 0)
        return false;
    if (file.open(fd, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle))
        return true;
    ::close(fd);
    return false;
}

bool replaceWithUnnamedFile(QFile &file, const QString &target) {
    if (!file.flush() || ::fsync(file.handle()) != 0)
        return false;
    const QString folder = QFileInfo(target).absolutePath();
    // The target's permissions stay; a new one gets what open(2) gives.
    struct stat earlier = {};
    const QByteArray targetName = QFile::encodeName(target);
    mode_t mode = 0;
    if (::stat(targetName.constData(), &earlier) == 0) {
        mode = earlier.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(file.handle(), mode) != 0)
        return false;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QByteArray name = shortNameIn(folder);
        if (!linkUnnamed(file.handle(), name) && !copyInto(file, name, mode)) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        if (::rename(name.constData(), targetName.constData()) == 0)
            return true;
        ::unlink(name.constData());
        return false;
    }
    return false;
}

} // namespace nxa
