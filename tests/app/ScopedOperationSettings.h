#pragma once

#include "app/operation/TesterOperation.h"
#include "support/SimulatorFixture.h"

namespace nxa::app {

// Loopback time limits for the tester operations of one test, and no hooks;
// the settings as they were come back on destruction, whatever the test
// changed in between, so no test leaks its hooks into the next.
class ScopedOperationSettings {
public:
    ScopedOperationSettings() : m_saved(operationSettings()) {
        operationSettings() = {};
        operationSettings().timings = test::loopbackTimings();
    }
    ~ScopedOperationSettings() { operationSettings() = m_saved; }
    ScopedOperationSettings(const ScopedOperationSettings &) = delete;
    ScopedOperationSettings &operator=(const ScopedOperationSettings &) = delete;

    OperationSettings &operator*() const { return operationSettings(); }
    OperationSettings *operator->() const { return &operationSettings(); }

private:
    OperationSettings m_saved;
};

} // namespace nxa::app
