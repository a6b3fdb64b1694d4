#pragma once

#include <QString>

namespace nxa {

// The numbered result of an unattended download, 0 to 8: the exit code and
// log.txt line of the manager's command line, and what nxa-collect records
// for each tester, so that both report a tester the same way.
enum class ResultCode {
    Ok = 0,
    WrongParameters = 1,
    CommunicationFailure = 2,
    Busy = 3,
    WrongPassword = 4,
    NoTester = 5,
    CannotConnect = 6,
    Aborted = 7,
    CantCreateFile = 8,
};
inline constexpr int kResultCodeCount = 9;

constexpr int number(ResultCode code) {
    return static_cast<int>(code);
}

// The line log.txt holds for the code, five leading spaces included: the
// product's own wording, typos and all.
QString resultLogText(ResultCode code);
// The code as the Command Line User's Guide lists it, line ends included.
QString resultGuideText(ResultCode code);
// The Event viewer line of a failed run, followed by what it names where it
// names something (the tester's address for 5 and 6, the file for 8); empty
// for Ok and WrongParameters, which have no line of their own.
QString resultEventLine(ResultCode code, const QString &subject = {});

} // namespace nxa
