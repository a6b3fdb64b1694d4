#pragma once

#include "collect/ArchiveStore.h"
#include "collect/CollectConfig.h"
#include "common/ResultCodes.h"
#include "link/LinkTimings.h"

#include <QStringList>

#include <functional>
#include <optional>

namespace nxa::collect {

// How one tester's download ended.
struct TesterResult {
    QString name;
    QString address;
    ResultCode code = ResultCode::Ok;
    int added = 0;    // records new to the archive
    int received = 0; // records the tester's image held
    QString detail;   // why, when the code alone does not say
    std::optional<Gap> gap;
    // The configuration download that follows a successful one: its result
    // code, nothing when it was not tried.
    std::optional<int> configurationCode;
    QString configurationDetail;
};

struct DownloadRequest {
    QStringList names; // empty: every tester of the configuration
    int jobs = 8;      // testers downloaded at the same time
    link::LinkTimings timings;
    // Told how far bringing an older archive up to date has come, 0 to 100.
    std::function<void(int percent)> upgradeProgress;
};

struct DownloadRun {
    enum class Outcome {
        Ran,           // every chosen tester has its line (and attempt)
        UnknownTester, // a name the configuration does not hold; nothing done
        Busy,          // another download holds the archive; nothing done
        Unusable,      // the archive cannot be opened or prepared; nothing done
        Foreign,       // the location holds another program's database; nothing done
    };
    Outcome outcome = Outcome::Ran;
    QString error;
    int testers = 0;
};

// The text of a result code without its number: "OK: Data downloaded ...".
QString resultText(int code);

// One output line: "name  address  code  text  added/received", then the
// gap and the reason when there are any.
QString resultLine(const TesterResult &result);

// Downloads the chosen testers, at most `jobs` at a time, each into the
// archive in one transaction, and stores every attempt. `started` is called
// once the archive is ready and the run lock held; `finished` once per
// tester, in the configuration's order, never twice at the same time.
DownloadRun runDownloads(const CollectConfig &config, const DownloadRequest &request,
                         const std::function<void(int testers)> &started,
                         const std::function<void(const TesterResult &)> &finished);

} // namespace nxa::collect
