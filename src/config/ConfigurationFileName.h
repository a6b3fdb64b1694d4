#pragma once

#include "common/Notice.h"
#include "common/NumberedFileName.h"
#include "config/StationConfig.h"

#include <QString>

#include <optional>

namespace nxa::config {

// "CONFIG07.BRC": the peripheral number padded to two digits; a three-digit
// number keeps its first two (100 gives "CONFIG10.BRC").
QString configurationFileName(int peripheralNumber);

struct FileNameRuleResult {
    // Already brought into 1..100; 1 for a name that is not standard.
    int peripheralNumber = kMinPeripheralNumber;
    // Set when the name is not like CONFIGXX.BRC.
    std::optional<Notice> warning;
};

// Judges the file name of `path` alone (case-sensitive CONFIGXX.BRC).
FileNameRuleResult configurationFileNameRule(const QString &path);

} // namespace nxa::config
