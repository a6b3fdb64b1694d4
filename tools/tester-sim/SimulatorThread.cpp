#include "SimulatorThread.h"

#include "TesterSimulator.h"

namespace nxa::sim {

SimulatorThread::SimulatorThread(SimulatorSettings settings)
    : m_simulator(new TesterSimulator(std::move(settings))) {
    m_simulator->moveToThread(&m_thread);
    m_thread.start();
}

SimulatorThread::~SimulatorThread() {
    stop();
}

bool SimulatorThread::start(const QHostAddress &address, quint16 port) {
    bool listening = false;
    QMetaObject::invokeMethod(
        m_simulator,
        [&] {
            listening = m_simulator->listen(address, port);
            m_port = m_simulator->serverPort();
        },
        Qt::BlockingQueuedConnection);
    return listening;
}

void SimulatorThread::stop() {
    if (!m_thread.isRunning())
        return;
    // The simulator and its sessions must die on the thread that owns their sockets.
    QMetaObject::invokeMethod(
        m_simulator, [this] { delete m_simulator; }, Qt::BlockingQueuedConnection);
    m_simulator = nullptr;
    m_thread.quit();
    m_thread.wait();
}

} // namespace nxa::sim
