#pragma once

#include "collect/Archive.h"
#include "collect/CollectConfig.h"
#include "collect/ConfigurationSnapshot.h"
#include "collect/DecodedImage.h"

#include <optional>
#include <vector>

namespace nxa::collect {

// One download attempt as the archive keeps it.
struct Attempt {
    qint64 startedMs = 0; // since the epoch, UTC
    qint64 endedMs = 0;
    int result = 0;       // 0 to 8, the manager's result codes
    int received = 0;     // records the image held
    int added = 0;        // of those, new to the archive
    int imageRecords = 0; // the image header's count: 10,000 is a full tester
    // SHA-256 of the image of a successful download; empty otherwise.
    QByteArray digest;
    QString detail; // why it failed, when the code alone does not say
    // The configuration fetched after a successful download; nothing when
    // it was not asked for or the download failed.
    std::optional<FetchedConfiguration> configuration;
};

// A full image that shares no record with what the archive held of its
// tester: the tester overwrote records that were never collected, written
// between these two local times.
struct Gap {
    QString after;  // the newest record archived before, empty when unknown
    QString before; // the oldest record of the new image, empty when unknown
};

struct Stored {
    bool ok = false;
    int added = 0;
    QString error;
    bool transient = false; // worth trying the whole transaction again
    std::optional<Gap> gap;
};

// Stores a successful download in one transaction: the tester, the attempt,
// every record of the image the archive does not hold yet for that tester,
// and the image's records as the tester's last, for the next download to
// start after what they share. Either all of it is in the archive afterwards
// or none of it is.
Stored storeDownload(Archive &archive, const TesterEntry &tester, Attempt attempt,
                     const DecodedImage &image);

// Stores an attempt that brought no new records (a failure, or an image
// already archived whole) in a transaction of its own.
Stored storeAttempt(Archive &archive, const TesterEntry &tester, const Attempt &attempt);

struct KnownImage {
    int received = 0;
    int imageRecords = 0;
};

// What an earlier successful download of this tester received when its image
// was byte for byte the one with `digest`: all of that image's records are in
// the archive then, since records are never removed and a download is stored
// whole or not at all. Nothing when no such download is stored.
std::optional<KnownImage> storedImage(Archive &archive, const TesterEntry &tester,
                                      const QByteArray &digest);

} // namespace nxa::collect
