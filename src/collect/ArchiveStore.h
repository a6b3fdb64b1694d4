#pragma once

#include "collect/Archive.h"
#include "collect/CollectConfig.h"
#include "collect/ImageRecords.h"

#include <vector>

namespace nxa::collect {

// One download attempt as the archive keeps it.
struct Attempt {
    qint64 startedMs = 0; // since the epoch, UTC
    qint64 endedMs = 0;
    int result = 0;   // 0 to 8, the manager's result codes
    int received = 0; // records the image held
    int added = 0;    // of those, new to the archive
};

struct Stored {
    bool ok = false;
    int added = 0;
    QString error;
    bool transient = false; // worth trying the whole transaction again
};

// Stores a successful download in one transaction: the tester, the attempt
// and every record the archive does not hold yet for that tester. Either all
// of it is in the archive afterwards or none of it is.
Stored storeDownload(Archive &archive, const TesterEntry &tester, Attempt attempt,
                     const std::vector<ArchivedRecord> &records);

// Stores an attempt that brought no records (a failure) in a transaction of
// its own.
Stored storeAttempt(Archive &archive, const TesterEntry &tester, const Attempt &attempt);

} // namespace nxa::collect
