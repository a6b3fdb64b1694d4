#pragma once

#include <QString>

namespace nxa::app {

// The text of the "Command Line User's Guide" box of the Help menu.
QString commandLineGuideText();
// The text of the "About..." box.
QString aboutText();

} // namespace nxa::app
