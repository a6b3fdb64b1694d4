#pragma once

// The simulated tester run in-process for the tests that go through the real
// tester link, on loopback ports that never collide with a real tester.

#include "SimulatorSettings.h"
#include "SimulatorThread.h"
#include "link/LinkConstants.h"
#include "link/LinkTimings.h"

#include <QByteArray>
#include <QHostAddress>
#include <QTcpServer>

#include <memory>

namespace nxa::test {

// Points the tester link at a loopback port (NXA_TESTER_PORT).
inline void useTesterPort(quint16 port) {
    qputenv(link::kTesterPortVariable, QByteArray::number(port));
}

// A loopback port on which nothing listens.
inline quint16 closedPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    const quint16 port = server.serverPort();
    server.close();
    return port;
}

// Starts a simulator on a free loopback port and points the link at it;
// null when it could not start.
inline std::unique_ptr<sim::SimulatorThread>
startSimulator(const sim::SimulatorSettings &settings) {
    auto simulator = std::make_unique<sim::SimulatorThread>(settings);
    if (!simulator->start())
        return nullptr;
    useTesterPort(simulator->port());
    return simulator;
}

// Time limits short enough that a failure on loopback is seen at once, long
// enough that a busy test machine does not cause one.
inline link::LinkTimings loopbackTimings() {
    link::LinkTimings timings;
    timings.connectTimeoutMs = 3000;
    timings.idleTimeoutMs = 300;
    timings.sendIdleTimeoutMs = 300;
    timings.pollIntervalMs = 10;
    timings.uploadPacingStepMs = 5;
    timings.closingPauseMs = 0;
    return timings;
}

} // namespace nxa::test
