#pragma once

#include <QString>

#include <functional>

namespace nxa::collect {

class Archive;

// Told how far an upgrade has come, 0 to 100.
using UpgradeProgress = std::function<void(int percent)>;

// Both run inside the caller's write transaction and return an error text,
// empty on success; the caller commits or rolls back.

// The tables of an archive at the newest layout, in an empty database.
QString createArchiveTables(Archive &archive);

// Brings an archive of an older layout up to the newest one in place.
// Layout 1 keyed a record by its displayed cells and the tester's group name,
// so a renamed user or group, a new peripheral number or recognition letter
// archived the same access again; those copies are merged here into one
// record per access, keeping the cells it was first archived with, in one
// pass over the records.
QString upgradeArchive(Archive &archive, int fromVersion, const UpgradeProgress &progress);

} // namespace nxa::collect
