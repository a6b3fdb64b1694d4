#pragma once

#include "config/StationConfig.h"

#include <QString>

namespace nxa::report {

// The texts that the configuration tabs show for the configuration's values;
// an index that selects no item gives an empty text.
QString securityLevelText(config::SecurityLevel level);
QString checkChoiceText(int index);
QString relayChoiceText(int index);
// "Profile  1" ... "Profile  9" (two spaces), "Profile 10".
QString profileChoiceText(int index);

} // namespace nxa::report
