#pragma once

#include <QString>

namespace nxa::app {

inline constexpr int kFirstResultCode = 0;
inline constexpr int kLastResultCode = 8;
inline constexpr int kResultWrongParameters = 1;

// The line a command-line run leaves in log.txt for its result code (five
// leading spaces included). Codes outside 0 to 8 give an empty text.
QString resultLogText(int code);
// The same code as the Command Line User's Guide lists it, line end included.
QString resultHelpText(int code);

// The box that a failed parameter check shows.
QString wrongParametersText();

} // namespace nxa::app
