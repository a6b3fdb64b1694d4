#pragma once

#include <QObject>

namespace nxa::app {

// While an operation runs, a close request of any window of the program ends
// the operation's loop or aborts its receive wait. The watch takes those
// requests (the windows stay open; the operation closes its own window when
// it ends), and those sent to the application itself (postCloseRequest),
// and remembers that one came.
class OperationCloseWatch : public QObject {
    Q_OBJECT
public:
    OperationCloseWatch();
    ~OperationCloseWatch() override;

    // Dialogs the operation opens itself (message boxes) must close normally:
    // the watch stands aside while it is paused.
    void pause() { ++m_paused; }
    void resume() { --m_paused; }

    bool requested() const { return m_requested; }
    // Returns whether a close request came and forgets it.
    bool take();

    // A close request from outside the window system (a termination signal).
    void request() { m_requested = true; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int m_paused = 0;
    bool m_requested = false;
};

// A close request from outside the window system (a termination signal): a
// close event for every window of the program and one for the program
// itself, which a run without windows takes as its request.
void postCloseRequest();

// Pauses a watch for the life of the object.
class PausedCloseWatch {
public:
    explicit PausedCloseWatch(OperationCloseWatch &watch) : m_watch(watch) { m_watch.pause(); }
    ~PausedCloseWatch() { m_watch.resume(); }
    PausedCloseWatch(const PausedCloseWatch &) = delete;
    PausedCloseWatch &operator=(const PausedCloseWatch &) = delete;

private:
    OperationCloseWatch &m_watch;
};

} // namespace nxa::app
