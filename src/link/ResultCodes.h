#pragma once

#include <QString>

namespace nxa::link {

// The numbered results of an unattended download, shared by the manager's
// command-line mode and nxa-collect so both report a tester the same way.
inline constexpr int kFirstResultCode = 0;
inline constexpr int kLastResultCode = 8;
inline constexpr int kResultOk = 0;
inline constexpr int kResultWrongParameters = 1;
inline constexpr int kResultCommunicationFailure = 2;
inline constexpr int kResultAborted = 7;
inline constexpr int kResultCantCreateFile = 8;

// The log text of a result code, five leading spaces included, the product's
// own wording with its typos. Codes outside 0 to 8 give an empty text.
QString resultLogText(int code);

} // namespace nxa::link
