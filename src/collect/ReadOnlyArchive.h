#pragma once

#include "collect/Archive.h"
#include "collect/CollectConfig.h"
#include "collect/LockWaitBudget.h"

#include <QString>

namespace nxa::collect {

// The archive of a configuration opened for reading, as status, export, check
// and report open it: waits for a lock count against the configuration's
// lock-wait budget, which lives as long as the connection.
class ReadOnlyArchive {
public:
    explicit ReadOnlyArchive(const CollectConfig &config);
    ReadOnlyArchive(const ReadOnlyArchive &) = delete;
    ReadOnlyArchive &operator=(const ReadOnlyArchive &) = delete;

    // Null when the archive could not be opened; error() then says why.
    Archive *archive() const { return m_opened.archive.get(); }
    const QString &error() const { return m_opened.error; }
    // Closes the connection.
    void close() { m_opened.archive.reset(); }

private:
    LockWaitBudget m_budget;
    Archive::Opened m_opened;
};

} // namespace nxa::collect
