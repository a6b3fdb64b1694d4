#include "web/ListenAddress.h"

namespace nxa::web {

QString ListenAddress::text() const {
    return address.protocol() == QAbstractSocket::IPv6Protocol
               ? QStringLiteral("[%1]:%2").arg(address.toString()).arg(port)
               : QStringLiteral("%1:%2").arg(address.toString()).arg(port);
}

std::optional<ListenAddress> parseListenAddress(const QString &text) {
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return std::nullopt;
    QString host = text.left(colon);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    else if (host.contains(QLatin1Char(':')))
        return std::nullopt;
    bool ok = false;
    const uint port = text.mid(colon + 1).toUInt(&ok, 10);
    ListenAddress listen;
    if (!ok || port > 65535 || !listen.address.setAddress(host))
        return std::nullopt;
    listen.port = quint16(port);
    return listen;
}

} // namespace nxa::web
