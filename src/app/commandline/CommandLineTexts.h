#pragma once

#include "link/ResultCodes.h"

#include <QString>

namespace nxa::app {

using link::kFirstResultCode;
using link::kLastResultCode;
using link::kResultWrongParameters;

// The line a command-line run leaves in log.txt for its result code (five
// leading spaces included). Codes outside 0 to 8 give an empty text.
QString resultLogText(int code);
// The same code as the Command Line User's Guide lists it, line end included.
QString resultHelpText(int code);

// The box that a failed parameter check shows.
QString wrongParametersText();

} // namespace nxa::app
