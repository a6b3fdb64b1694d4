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

int g_pipe[2] = {-1, -1};
bool g_held = false;

extern "C" void forwardSignal(int) {
    const char byte = 1;
    // Only async-signal-safe calls here; a full pipe just drops the byte.
    [[maybe_unused]] const ssize_t ignored = ::write(g_pipe[0], &byte, 1);
}

void installHandler(int signal, void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // A second signal ends the process the ordinary way, should the run not react.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(signal, &action, nullptr);
}

} // namespace

CommandLineSignals::CommandLineSignals() {
    if (g_pipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_pipe) != 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CommandLineSignals::onSignal);
    installHandler(SIGTERM, forwardSignal);
    installHandler(SIGINT, forwardSignal);
}

CommandLineSignals::~CommandLineSignals() {
    if (!m_notifier)
        return;
    if (!g_held) {
        installHandler(SIGTERM, SIG_DFL);
        installHandler(SIGINT, SIG_DFL);
    }
    delete m_notifier;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void ignoreBrokenPipes() {
    struct sigaction action = {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    sigaction(SIGPIPE, &action, nullptr);
}

void holdTerminationSignals() {
    g_held = true;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        installHandler(signal, SIG_IGN);
}

void CommandLineSignals::onSignal() {
    char byte = 0;
    [[maybe_unused]] const ssize_t ignored = ::read(g_pipe[1], &byte, 1);
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows)
        QCoreApplication::postEvent(window, new QCloseEvent);
}

} // namespace nxa::app
