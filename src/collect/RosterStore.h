#pragma once

#include "collect/Archive.h"
#include "collect/Roster.h"

#include <QStringList>

#include <optional>
#include <vector>

namespace nxa::collect {

// The archive's roster tables. Rows are never changed but to close them: an
// import that changes a person's row ends it (valid_until) and adds the new
// one, so the roster in force at any time can be read back.
QStringList rosterStatements(const Archive &archive);

struct RosterInForce {
    std::vector<RosterEntry> entries; // sorted by person, tester, user
    std::optional<qint64> importedMs; // of the import that made it; none before the first
    QString error;                    // the archive could not be read
};

// The roster that was in force at `atMs` (ms since 1970 UTC): the rows of
// the last import made at or before it, or of the first import when all
// came later. Tester names are those of the
// configuration for the keys the rows hold; a tester that left the
// configuration keeps its key as its name.
RosterInForce rosterInForce(Archive &archive, const QList<TesterEntry> &testers, qint64 atMs);

struct RosterStored {
    bool changed = false; // false: the roster was already in force, nothing written
    QString error;
};

// Makes `entries` the roster in force from `importedMs` on, in one
// transaction.
RosterStored storeRoster(Archive &archive, const QList<TesterEntry> &testers,
                         const std::vector<RosterEntry> &entries, const QString &source,
                         qint64 importedMs);

} // namespace nxa::collect
