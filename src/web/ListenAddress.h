#pragma once

#include <QHostAddress>
#include <QString>

#include <optional>

namespace nxa::web {

inline constexpr char kDefaultListen[] = "127.0.0.1:8080";

struct ListenAddress {
    QHostAddress address;
    quint16 port = 0; // 0: a free port the system chooses

    // Only this machine can connect: anyone may look without a password.
    bool loopback() const { return address.isLoopback(); }
    QString text() const;
};

// "127.0.0.1:8080", "0.0.0.0:8443", "[::1]:8080"; nothing when it is none.
std::optional<ListenAddress> parseListenAddress(const QString &text);

} // namespace nxa::web
