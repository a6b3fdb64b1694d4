#include "link/TesterRequest.h"

namespace nxa::link {

QByteArray buildRequest(const QString &commandWord, const QString &password) {
    QString text = commandWord + password;
    // Cut at a character boundary: a surrogate pair counts as one character.
    int units = 0;
    int characters = 0;
    while (units < text.size() && characters < kRequestLength) {
        units += text.at(units).isHighSurrogate() && units + 1 < text.size() &&
                         text.at(units + 1).isLowSurrogate()
                     ? 2
                     : 1;
        ++characters;
    }
    text.truncate(units);
    text.append(QString(kRequestLength - characters, QLatin1Char(' ')));
    return text.toUtf8();
}

bool isOkReply(const QByteArray &reply) {
    return reply.startsWith("NXAOK");
}

Outcome classifyLoginReply(const QByteArray &reply) {
    if (isOkReply(reply))
        return Outcome::Success;
    if (reply.startsWith("BUSY"))
        return Outcome::Busy;
    if (reply.startsWith("WP"))
        return Outcome::WrongPassword;
    return Outcome::NoTester;
}

} // namespace nxa::link
