#pragma once

#include "collect/DecodedImage.h"

#include <QString>

#include <optional>

namespace nxa::collect {

class Archive;

// PostgreSQL: loads the records of one download with COPY in binary form
// into a temporary table of this connection, then adds to the records table
// those the archive does not hold yet. Runs inside the write transaction the
// caller began on the archive's own connection, so a failure anywhere leaves
// the whole transaction to be rolled back. The number of records added, or
// nothing (and `error`, also noted as the archive's last error). Records
// before `first` are left out.
std::optional<int> copyRecordsPostgres(Archive &archive, qint64 tester, qint64 attempt,
                                       const DecodedImage &image, int first, QString &error);

} // namespace nxa::collect
