#pragma once

#include <QtGlobal>

#include <atomic>

namespace nxa::collect {

// How long a whole run may still wait for an archive that another program
// holds locked, all connections and statements together: a per-statement
// wait would add up tester after tester into hours.
class LockWaitBudget {
public:
    explicit LockWaitBudget(qint64 totalMs) : m_totalMs(totalMs), m_remainingMs(totalMs) {}

    // What the run may wait in all, as lock-wait= gave it.
    qint64 totalMs() const { return m_totalMs; }

    qint64 remainingMs() const { return std::max<qint64>(0, m_remainingMs.load()); }
    bool exhausted() const { return m_remainingMs.load() <= 0; }
    // Counts a wait of `ms` against the budget.
    void spend(qint64 ms) { m_remainingMs.fetch_sub(ms); }
    // The whole budget again: a server's connection serves one request after
    // another, each a run of its own.
    void refill() { m_remainingMs.store(m_totalMs); }

private:
    const qint64 m_totalMs;
    std::atomic<qint64> m_remainingMs;
};

} // namespace nxa::collect
