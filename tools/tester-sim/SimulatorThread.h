#pragma once

#include "SimulatorSettings.h"

#include <QHostAddress>
#include <QThread>

namespace nxa::sim {

class TesterSimulator;

// Runs a TesterSimulator on a thread of its own, so a caller that blocks on
// its socket (the tester link does) can talk to it from the same process.
class SimulatorThread {
public:
    explicit SimulatorThread(SimulatorSettings settings);
    ~SimulatorThread();
    SimulatorThread(const SimulatorThread &) = delete;
    SimulatorThread &operator=(const SimulatorThread &) = delete;

    // Listens (port 0: any free port); returns once the server is listening
    // or has failed to.
    bool start(const QHostAddress &address = QHostAddress::LocalHost, quint16 port = 0);
    quint16 port() const { return m_port; }
    // Only its thread-safe accessors may be called from the caller's thread,
    // and only until stop().
    TesterSimulator &simulator() { return *m_simulator; }
    void stop();

private:
    QThread m_thread;
    TesterSimulator *m_simulator;
    quint16 m_port = 0;
};

} // namespace nxa::sim
