#include "collect/PasswordFile.h"

#include "link/LinkConstants.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nxa::collect {

namespace {

// Longer than any password file we accept, so a wrong file is never read whole.
constexpr int kReadLimit = 64;

} // namespace

PasswordRead readPasswordFile(const QString &path) {
    PasswordRead result;
    // The permissions are judged on the file that was opened, not on a name
    // that could be swapped between the check and the read.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        result.error = QStringLiteral("cannot open the password file %1").arg(path);
        return result;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        result.error = QStringLiteral("the password file %1 is not a regular file").arg(path);
        return result;
    }
    if (status.st_mode & (S_IRGRP | S_IROTH)) {
        ::close(fd);
        result.error = QStringLiteral("the password file %1 can be read by group or others; "
                                      "make it private (chmod 600)")
                           .arg(path);
        return result;
    }
    char buffer[kReadLimit];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    QByteArray bytes(buffer, got > 0 ? static_cast<qsizetype>(got) : 0);
    if (bytes.endsWith('\n'))
        bytes.chop(1);
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    const QString password = QString::fromUtf8(bytes);
    if (password.size() != link::kPasswordLength) {
        result.error =
            QStringLiteral("the password file %1 must hold the %2-character password on one line")
                .arg(path)
                .arg(link::kPasswordLength);
        return result;
    }
    result.password = password;
    return result;
}

} // namespace nxa::collect
