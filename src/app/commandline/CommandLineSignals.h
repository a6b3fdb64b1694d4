#pragma once

#include <QObject>

class QSocketNotifier;

namespace nxa::app {

// A scheduler that stops an unattended run (SIGTERM, or Ctrl+C giving
// SIGINT) gets what a user gets from the close box: the run ends as an
// aborted operation and still leaves its log record and result code. The
// signal is turned into a close request of every window, taken on the main
// thread through a socket pair.
class CommandLineSignals : public QObject {
    Q_OBJECT
public:
    CommandLineSignals();
    ~CommandLineSignals() override;

    bool active() const { return m_notifier != nullptr; }

private:
    void onSignal();

    QSocketNotifier *m_notifier = nullptr;
};

// An unattended run whose standard output or error nobody reads any more (a
// pipe whose reader has gone) still downloads, exports and leaves its log
// record: writes to such a pipe fail instead of ending the process. Lasts
// until the process ends, so nothing written while it shuts down can end it
// with a code other than the run's.
void ignoreBrokenPipes();

// From the moment a run's record is written, its result is final: a
// termination signal that comes later is ignored, so the exit code always
// equals the logged code. Lasts until the process ends.
void holdTerminationSignals();

} // namespace nxa::app
