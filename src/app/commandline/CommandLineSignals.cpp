#include "app/commandline/CommandLineSignals.h"

#include <QApplication>
#include <QCloseEvent>
#include <QSocketNotifier>
#include <QWidget>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace nxa::app {

namespace {

constexpr int kTerminationSignals[] = {SIGTERM, SIGINT, SIGHUP};

// [0] is written by the handler, [1] read on the main thread.
int g_pipe[2] = {-1, -1};
volatile sig_atomic_t g_caught = 0;

extern "C" void forwardSignal(int) {
    // The first signal is the request; every later one is absorbed, so a
    // second signal during the handling of the first cannot end the run.
    if (g_caught != 0)
        return;
    g_caught = 1;
    const char byte = 1;
    // Only async-signal-safe calls here.
    [[maybe_unused]] const ssize_t ignored = ::write(g_pipe[0], &byte, 1);
}

bool startedIgnored(int signal) {
    struct sigaction current = {};
    return ::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

void install(int signal, void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    for (const int other : kTerminationSignals)
        sigaddset(&action.sa_mask, other);
    action.sa_flags = SA_RESTART;
    ::sigaction(signal, &action, nullptr);
}

} // namespace

void takeOverCommandLineSignals() {
    install(SIGPIPE, SIG_IGN);
    install(SIGXFSZ, SIG_IGN);
    if (g_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0)
        g_pipe[0] = g_pipe[1] = -1;
    sigset_t termination;
    sigemptyset(&termination);
    for (const int signal : kTerminationSignals) {
        if (!startedIgnored(signal))
            install(signal, forwardSignal);
        sigaddset(&termination, signal);
    }
    // The launcher blocked them while this program was being loaded: one
    // that came meanwhile is taken now, by the handler.
    ::sigprocmask(SIG_UNBLOCK, &termination, nullptr);
}

CommandLineSignals::CommandLineSignals() {
    if (g_pipe[1] < 0)
        return;
    // A byte already waiting (a signal during start-up) activates it at the
    // first pass of the event loop, when the run's window exists.
    m_notifier = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CommandLineSignals::onSignal);
}

// The handlers stay: a signal after this is absorbed, not fatal.
CommandLineSignals::~CommandLineSignals() = default;

void holdTerminationSignals() {
    for (const int signal : kTerminationSignals)
        install(signal, SIG_IGN);
}

void CommandLineSignals::onSignal() {
    char byte = 0;
    [[maybe_unused]] const ssize_t ignored = ::read(g_pipe[1], &byte, 1);
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows)
        QCoreApplication::postEvent(window, new QCloseEvent);
}

} // namespace nxa::app
