#pragma once

#include <QObject>

#include <atomic>
#include <thread>

class QSocketNotifier;

namespace nxa::app {

// Called first thing in main, before the toolkit or anything else runs, when
// the program has parameters. From then on:
// - every termination signal (TerminationSignals.h: SIGTERM, SIGINT, SIGHUP,
//   SIGQUIT, SIGUSR1, ... and the real-time ones) is taken alike: the first
//   one becomes a close request (CommandLineSignals delivers it once the run
//   can take it), every later one is absorbed, so no signal can end the run
//   before its record is written. A signal that the process started with
//   ignored (a background job's SIGINT, nohup's SIGHUP) stays ignored, as
//   shells expect.
// - SIGPIPE is ignored: an unattended run whose standard output or error
//   nobody reads any more still downloads, exports and leaves its record.
// - SIGXFSZ is ignored: a file size limit makes the write short, which is
//   seen and reported (code 8), instead of ending the process.
// All of this lasts until the process ends. Standard descriptors that the
// run was started without are opened on /dev/null first, so that nothing
// printed can reach the signal path.
void takeOverCommandLineSignals();

// How many termination signals the process has taken so far.
int terminationSignalCount();

// A scheduler that stops an unattended run gets what a user gets from the
// close box: the run ends as an aborted operation and still leaves its log
// record and result code. The signal that takeOverCommandLineSignals caught
// (even one that came before this object existed) is turned into a close
// request (postCloseRequest), taken on the main thread through a socket pair.
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

// While the toolkit connects to its display, the main thread cannot take a
// signal: a display that stops answering half way would hold it for good.
// For that time a thread watches for the signal; when the toolkit has not
// come back within a second of it, the thread writes the aborted run's
// record and ends the process with code 7. Once the watch is over (its
// destructor) a signal is left to CommandLineSignals.
class ToolkitStartWatch {
public:
    ToolkitStartWatch();
    ~ToolkitStartWatch();
    ToolkitStartWatch(const ToolkitStartWatch &) = delete;
    ToolkitStartWatch &operator=(const ToolkitStartWatch &) = delete;

private:
    void watch();

    int m_done[2] = {-1, -1};
    std::atomic<bool> m_started = false;
    std::thread m_thread;
};

// From the moment a run's record is written, its result is final: a
// termination signal that comes later is ignored, so the exit code always
// equals the logged code. Lasts until the process ends.
void holdTerminationSignals();

} // namespace nxa::app
