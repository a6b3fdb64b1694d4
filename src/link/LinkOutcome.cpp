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
    switch (outcome) {
    case Outcome::Success:
    case Outcome::UploadFailed:
        return {};
    case Outcome::CannotConnect:
        return QStringLiteral("     6 - Error: Can't connect to ") + formatAddress(address);
    case Outcome::Busy:
        return QStringLiteral("     3 - Error: BR NXA connected but now is busy...");
    case Outcome::WrongPassword:
        return QStringLiteral("     4 - Error: Wrong Password");
    case Outcome::NoTester:
        return QStringLiteral("     5 - Error: No BR NXA connected at ") + formatAddress(address);
    case Outcome::CommunicationFailure:
        return QStringLiteral("     2 - Error: Communication failure");
    case Outcome::Aborted:
        return QStringLiteral("     7 - Error: Operation aborted by user.");
    }
    return {};
}

int resultCode(Outcome outcome) {
    switch (outcome) {
    case Outcome::Success:
    case Outcome::UploadFailed:
        return 0;
    case Outcome::CommunicationFailure:
        return 2;
    case Outcome::Busy:
        return 3;
    case Outcome::WrongPassword:
        return 4;
    case Outcome::NoTester:
        return 5;
    case Outcome::CannotConnect:
        return 6;
    case Outcome::Aborted:
        return 7;
    }
    return 0;
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
