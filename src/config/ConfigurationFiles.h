#pragma once

#include "common/Notice.h"
#include "config/ConfigurationImage.h"
#include "config/StationConfig.h"

#include <QString>

#include <optional>

namespace nxa::config {

// "CONFIG07.BRC": the peripheral number padded to two digits; a three-digit
// number keeps its first two (100 gives "CONFIG10.BRC").
QString configurationFileName(int peripheralNumber);

// The part of a path after its last "\" or "/", extension included.
QString fileNamePart(const QString &path);

struct FileNameRuleResult {
    // Already brought into 1..100; 1 for a name that is not standard.
    int peripheralNumber = kMinPeripheralNumber;
    // Set when the name is not like CONFIGXX.BRC.
    std::optional<Notice> warning;
};

// Judges the file name of `path` alone (case-sensitive CONFIGXX.BRC).
FileNameRuleResult configurationFileNameRule(const QString &path);

struct ExportResult {
    bool ok = false;
    QString path;     // the file written (or attempted)
    QString fileName; // configuration file name, also the new source caption
    Notices notices;  // "Saved correctly the file:..." or "Can't write the file"
};

// Writes CONFIGXX.BRC for the current peripheral number into `directory`,
// replacing a file of that name. The image goes to a temporary file in the
// same folder that is renamed over the target, so a failure never leaves a
// half-written file.
ExportResult exportConfiguration(const StationConfig &config, const QString &directory);

// Decode configuration from `path`: the name-rule warning (if any) comes
// first among the notices, then "Wrong file format" when the header check
// fails.
DecodeResult importConfiguration(StationConfig &config, const QString &path);

} // namespace nxa::config
