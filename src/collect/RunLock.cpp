#include "collect/RunLock.h"

#include "collect/Archive.h"

#include <QDateTime>
#include <QFile>
#include <QSqlQuery>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace nxa::collect {

namespace {

// Distinct from the key that serialises schema changes.
constexpr qint64 kRunLockKey = 0x4e58415255; // "NXARU"
constexpr int kHolderTextLimit = 200;

} // namespace

QString runLockPath(const QString &archivePath) {
    return archivePath + QStringLiteral(".lock");
}

RunLock::~RunLock() {
    // Closing the descriptor releases the lock; the file stays, since
    // removing it would race with a run that has just opened it.
    if (m_fd >= 0)
        ::close(m_fd);
}

RunLock::Taken RunLock::take(const ArchiveLocation &location, Archive *archive) {
    Taken taken;
    if (location.kind == ArchiveLocation::Kind::Postgres) {
        QSqlQuery query(archive->database());
        if (!query.exec(QStringLiteral("SELECT pg_try_advisory_lock(%1)").arg(kRunLockKey)) ||
            !query.next()) {
            taken.error = QStringLiteral("cannot take the run lock of %1: %2")
                              .arg(location.displayName(), sqlError(query.lastError()));
            return taken;
        }
        if (!query.value(0).toBool()) {
            taken.heldByOther = true;
            taken.error = QStringLiteral("another nxa-collect download is running on %1; this "
                                         "run did nothing")
                              .arg(location.displayName());
            return taken;
        }
        taken.lock.reset(new RunLock);
        return taken;
    }
    const QString path = runLockPath(location.path);
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0640);
    if (fd < 0) {
        taken.error = QStringLiteral("cannot open the run lock %1").arg(path);
        return taken;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        char holder[kHolderTextLimit] = {};
        const ssize_t got = ::pread(fd, holder, sizeof holder - 1, 0);
        ::close(fd);
        taken.heldByOther = true;
        taken.error =
            QStringLiteral("another nxa-collect download is running on %1 (%2); this "
                           "run did nothing")
                .arg(location.path, QString::fromUtf8(holder, got > 0 ? got : 0).trimmed());
        return taken;
    }
    const QByteArray holder =
        QStringLiteral("pid %1, started %2\n")
            .arg(::getpid())
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")))
            .toUtf8();
    // Only a note for the message of a second run; the lock is the flock.
    if (::ftruncate(fd, 0) == 0) {
        [[maybe_unused]] const ssize_t written =
            ::pwrite(fd, holder.constData(), static_cast<size_t>(holder.size()), 0);
    }
    taken.lock.reset(new RunLock);
    taken.lock->m_fd = fd;
    return taken;
}

} // namespace nxa::collect
