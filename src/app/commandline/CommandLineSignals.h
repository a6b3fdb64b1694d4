#pragma once

#include <QObject>

class QSocketNotifier;

namespace nxa::app {

// Called first thing in main, before the toolkit or anything else runs, when
// the program has parameters. From then on:
// - SIGTERM, SIGINT and SIGHUP are taken alike: the first one becomes a
//   close request (CommandLineSignals delivers it once the run can take it),
//   every later one is absorbed, so no signal can end the run before its
//   record is written. A signal that the process started with ignored (a
//   background job's SIGINT, nohup's SIGHUP) stays ignored, as shells expect.
// - SIGPIPE is ignored: an unattended run whose standard output or error
//   nobody reads any more still downloads, exports and leaves its record.
// - SIGXFSZ is ignored: a file size limit makes the write short, which is
//   seen and reported (code 8), instead of ending the process.
// All of this lasts until the process ends.
void takeOverCommandLineSignals();

// A scheduler that stops an unattended run gets what a user gets from the
// close box: the run ends as an aborted operation and still leaves its log
// record and result code. The signal that takeOverCommandLineSignals caught
// (even one that came before this object existed) is turned into a close
// request of every window, taken on the main thread through a socket pair.
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

// From the moment a run's record is written, its result is final: a
// termination signal that comes later is ignored, so the exit code always
// equals the logged code. Lasts until the process ends.
void holdTerminationSignals();

} // namespace nxa::app
