#include "common/UnnamedTemporaryFile.h"

#include <QTemporaryFile>

#include <fcntl.h>
#include <unistd.h>

namespace nxa {

namespace {
constexpr mode_t kPrivateMode = 0600;
}

bool openUnnamedTemporaryFile(QFile &file, const QString &folder) {
    const QByteArray where = QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder);
    int fd = ::open(where.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, kPrivateMode);
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

} // namespace nxa
