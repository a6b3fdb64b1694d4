#pragma once

#include <QString>

namespace nxa::app {

// The box that a failed parameter check shows.
QString wrongParametersText();

} // namespace nxa::app
