#pragma once

#include "collect/CollectConfig.h"
#include "common/ResultCodes.h"
#include "link/LinkTimings.h"

#include <QStringList>

#include <functional>

namespace nxa::collect {

// How one tester's download ended.
struct TesterResult {
    QString name;
    QString address;
    ResultCode code = ResultCode::Ok;
    int added = 0;    // records new to the archive
    int received = 0; // records the tester's image held
    QString detail;   // why a tester was skipped or its archive write failed
};

struct DownloadRequest {
    QStringList names; // empty: every tester of the configuration
    int jobs = 8;      // testers downloaded at the same time
    link::LinkTimings timings;
};

// The text of a result code without its number: "OK: Data downloaded ...".
QString resultText(int code);

// One output line: "name  address  code  text  added/received".
QString resultLine(const TesterResult &result);

// Downloads the chosen testers, at most `jobs` at a time, each into the
// archive in one transaction, and stores every attempt. `finished` is called
// once per tester as it ends, never twice at the same time. Returns false
// with `error` when nothing could start (unknown name, unusable archive).
bool runDownloads(const CollectConfig &config, const DownloadRequest &request,
                  const std::function<void(const TesterResult &)> &finished, QString &error);

} // namespace nxa::collect
