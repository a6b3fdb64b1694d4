#pragma once

#include <QList>

class QRadioButton;

namespace nxa::app {

// Makes the chosen option of a set of exclusive options the one that Tab and
// Shift+Tab stop at, whichever option the user or a loaded configuration
// chooses; the arrow keys then move the choice. Without it the toolkit stops
// at the option that last had the focus, chosen or not, so the arrows only
// moved the focus until a mouse click chose an option.
void makeChosenOptionTheTabStop(const QList<QRadioButton *> &options);

} // namespace nxa::app
