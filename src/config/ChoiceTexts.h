#pragma once

#include "config/StationConfig.h"

#include <QString>
#include <QStringList>

namespace nxa::config {

// The texts shown for the configuration's values, by the configuration tabs
// and by the printed reports alike; an index that selects no item gives an
// empty text.
QString securityLevelText(SecurityLevel level);

// The items of the Check and Relay choices of a profile, in index order.
QStringList checkChoices();
QStringList relayChoices();
QString checkChoiceText(int index);
QString relayChoiceText(int index);

// "Profile  1" ... "Profile  9" (two spaces), "Profile 10".
QString profileChoiceText(int index);

} // namespace nxa::config
