#include "link/LinkOutcome.h"

#include "common/TesterAddress.h"

namespace nxa::link {

Notice interactiveNotice(Outcome outcome, quint32 address) {
    switch (outcome) {
    case Outcome::Success:
        return {QStringLiteral("Uploaded successfully"),
                QStringLiteral("Uploadedd successfully the configuration"),
                NoticeIcon::Information};
    case Outcome::CannotConnect:
        return {QStringLiteral("Error"),
                QStringLiteral("Can't connect to ") + formatAddress(address), NoticeIcon::Error};
    case Outcome::Busy:
        return {QStringLiteral("Busy"),
                QStringLiteral(
                    "BR NXA connected but now is busy...\n\nPlease wait a moment then retry."),
                NoticeIcon::Warning};
    case Outcome::WrongPassword:
        return {QStringLiteral("Wrong Password"),
                QStringLiteral("Password incorrect error.\nTry again"), NoticeIcon::Error};
    case Outcome::NoTester:
        return {QStringLiteral("Error"),
                QStringLiteral("No BR NXA connected at ") + formatAddress(address),
                NoticeIcon::Error};
    case Outcome::CommunicationFailure:
        return {QStringLiteral("Error"), QStringLiteral("Communication failure"), NoticeIcon::None};
    case Outcome::Aborted:
        return {};
    case Outcome::UploadFailed:
        return {QStringLiteral("Error"), QStringLiteral("Upload fail"), NoticeIcon::None};
    }
    return {};
}

QString commandLineLine(Outcome outcome, quint32 address) {
    return resultEventLine(resultCode(outcome), formatAddress(address));
}

ResultCode resultCode(Outcome outcome) {
    switch (outcome) {
    case Outcome::Success:
    case Outcome::UploadFailed:
        return ResultCode::Ok;
    case Outcome::CommunicationFailure:
        return ResultCode::CommunicationFailure;
    case Outcome::Busy:
        return ResultCode::Busy;
    case Outcome::WrongPassword:
        return ResultCode::WrongPassword;
    case Outcome::NoTester:
        return ResultCode::NoTester;
    case Outcome::CannotConnect:
        return ResultCode::CannotConnect;
    case Outcome::Aborted:
        return ResultCode::Aborted;
    }
    return ResultCode::Ok;
}

bool keepsWindowOpen(Outcome outcome) {
    return outcome == Outcome::CannotConnect || outcome == Outcome::Busy ||
           outcome == Outcome::WrongPassword;
}

Notice networkErrorNotice() {
    return {QStringLiteral("Network Error"),
            QStringLiteral("Brontel NXA has closed the connection..."), NoticeIcon::None};
}

} // namespace nxa::link
