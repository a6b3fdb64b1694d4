#pragma once

#include "common/Notice.h"
#include "common/ResultCodes.h"

#include <QString>

namespace nxa::link {

// How a tester operation ended; each failure class has its own message box
// (interactive mode) and its own Event viewer line and result code (command line).
enum class Outcome {
    Success,
    CannotConnect,
    Busy,
    WrongPassword,
    NoTester,
    CommunicationFailure,
    Aborted,
    UploadFailed,
};

// The message box of an outcome. Success gives the upload's success box
// (downloads show none); Aborted has no box of its own and gives an empty
// notice (empty title and text).
Notice interactiveNotice(Outcome outcome, quint32 address);

// The Event viewer line of a command-line run, five leading spaces included.
// Empty for Success and UploadFailed, which the command line never reports.
QString commandLineLine(Outcome outcome, quint32 address);

// The result code an unattended download reports for an outcome; an upload's
// failure has no command-line case and gives Ok.
ResultCode resultCode(Outcome outcome);

// The interactive window stays open after these, so the user can correct the
// address or password and press the button again.
bool keepsWindowOpen(Outcome outcome);

// The box shown, at most once per wait, when the tester closes the connection.
Notice networkErrorNotice();

} // namespace nxa::link
