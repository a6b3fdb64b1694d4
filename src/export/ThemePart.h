#pragma once

#include <QByteArray>

namespace nxa::exports {

// "xl/theme/theme1.xml": the Office theme with its colour, font and format
// schemes and the theme-family extension, plain ASCII.
QByteArray themePart();

} // namespace nxa::exports
