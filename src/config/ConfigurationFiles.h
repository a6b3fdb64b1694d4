#pragma once

#include "common/Notice.h"
#include "config/ConfigurationFileName.h"
#include "config/ConfigurationImage.h"
#include "config/StationConfig.h"

#include <QString>

#include <optional>

namespace nxa::config {

struct ConfigurationExportResult {
    bool ok = false;
    QString path;     // the file written (or attempted)
    QString fileName; // configuration file name, also the new source caption
    Notices notices;  // "Saved correctly the file:..." or "Can't write the file"
};

// Writes CONFIGXX.BRC for the current peripheral number into `directory`,
// replacing a file of that name. The image goes to a temporary file in the
// same folder that is renamed over the target, so a failure never leaves a
// half-written file.
ConfigurationExportResult exportConfiguration(const StationConfig &config,
                                              const QString &directory);

// Decode configuration from `path`: the name-rule warning (if any) comes
// first among the notices, then "Wrong file format" when the header check
// fails.
DecodeResult importConfiguration(StationConfig &config, const QString &path);

} // namespace nxa::config
