#pragma once

#include "collect/CollectConfig.h"

#include <QString>

#include <memory>

namespace nxa::collect {

class Archive;

// Keeps two downloads off one archive at once, so that a nightly run that
// overruns is never joined by the next one. Held until destroyed; a killed
// process loses it with its file descriptor or its database session.
class RunLock {
public:
    ~RunLock();
    RunLock(const RunLock &) = delete;
    RunLock &operator=(const RunLock &) = delete;

    struct Taken {
        std::unique_ptr<RunLock> lock;
        QString error;
        bool heldByOther = false; // another run has it (otherwise the lock could not be tried)
    };
    // SQLite: an exclusive lock on "<archive>.lock" beside the archive, which
    // names the holder. PostgreSQL: a session lock of `archive`'s connection,
    // which must stay open while the lock is held.
    static Taken take(const ArchiveLocation &location, Archive *archive);

private:
    RunLock() = default;
    int m_fd = -1;
};

// The lock file of a SQLite archive.
QString runLockPath(const QString &archivePath);

} // namespace nxa::collect
