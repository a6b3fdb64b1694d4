#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QMutex>
#include <QString>

namespace nxa::web {

// Slows down whoever guesses passwords: each failed login of an address
// waits a second for every failure of that address in the last quarter of
// an hour, up to kMaxDelaySeconds, before its 401 goes out.
class LoginThrottle {
public:
    static constexpr int kMaxDelaySeconds = 8;

    LoginThrottle() { m_clock.start(); }
    // Counts a failure of `client` and returns how long to wait, in ms.
    int failed(const QString &client);
    void succeeded(const QString &client);

private:
    struct Record {
        int failures = 0;
        qint64 lastMs = 0;
    };
    QMutex m_mutex;
    QHash<QString, Record> m_records;
    QElapsedTimer m_clock;
};

} // namespace nxa::web
