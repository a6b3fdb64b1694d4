#include "web/LoginThrottle.h"

#include <QMutexLocker>

#include <algorithm>

namespace nxa::web {

namespace {

constexpr qint64 kForgetAfterMs = 15 * 60 * 1000;
// Addresses remembered at most: many more means someone makes up addresses,
// and forgetting the old ones only keeps memory bounded.
constexpr qsizetype kMaxClients = 4096;

} // namespace

int LoginThrottle::failed(const QString &client) {
    QMutexLocker lock(&m_mutex);
    const qint64 now = m_clock.elapsed();
    if (m_records.size() >= kMaxClients)
        m_records.removeIf(
            [now](const auto &entry) { return now - entry.value().lastMs > kForgetAfterMs; });
    if (m_records.size() >= kMaxClients)
        m_records.clear();
    Record &record = m_records[client];
    if (now - record.lastMs > kForgetAfterMs)
        record.failures = 0;
    record.failures += 1;
    record.lastMs = now;
    return std::min(record.failures, kMaxDelaySeconds) * 1000;
}

void LoginThrottle::succeeded(const QString &client) {
    QMutexLocker lock(&m_mutex);
    m_records.remove(client);
}

} // namespace nxa::web
