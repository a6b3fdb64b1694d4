#include "app/commandline/CommandLineSignals.h"

#include "app/commandline/CommandLineLog.h"
#include "app/commandline/StandardDescriptors.h"
#include "app/commandline/TerminationSignals.h"
#include "app/operation/OperationCloseWatch.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace nxa::app {

namespace {

// How long the toolkit may still take to connect after a signal came.
constexpr int kToolkitGraceMs = 1000;

// [0] is written by the handler, [1] read on the main thread.
int g_pipe[2] = {-1, -1};
volatile sig_atomic_t g_caught = 0;
volatile sig_atomic_t g_count = 0;

extern "C" void forwardSignal(int) {
    // Every termination signal is in the handler's mask, so this never runs
    // twice at once.
    g_count = g_count + 1;
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
    forEachTerminationSignal([&action](int other) { sigaddset(&action.sa_mask, other); });
    action.sa_flags = SA_RESTART;
    ::sigaction(signal, &action, nullptr);
}

// Above the standard descriptors, whatever happens to them later.
int aboveStandardDescriptors(int fd) {
    if (fd < 0 || fd > STDERR_FILENO)
        return fd;
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    ::close(fd);
    return moved;
}

} // namespace

void takeOverCommandLineSignals() {
    openStandardDescriptors();
    install(SIGPIPE, SIG_IGN);
    install(SIGXFSZ, SIG_IGN);
    if (g_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) == 0) {
        g_pipe[0] = aboveStandardDescriptors(g_pipe[0]);
        g_pipe[1] = aboveStandardDescriptors(g_pipe[1]);
    }
    if (g_pipe[0] < 0 || g_pipe[1] < 0)
        g_pipe[0] = g_pipe[1] = -1;
    sigset_t termination;
    sigemptyset(&termination);
    forEachTerminationSignal([&termination](int signal) {
        if (!startedIgnored(signal))
            install(signal, forwardSignal);
        sigaddset(&termination, signal);
    });
    // The launcher blocked them while this program was being loaded: one
    // that came meanwhile is taken now, by the handler.
    ::sigprocmask(SIG_UNBLOCK, &termination, nullptr);
}

int terminationSignalCount() {
    return g_count;
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
    forEachTerminationSignal([](int signal) { install(signal, SIG_IGN); });
}

void CommandLineSignals::onSignal() {
    char byte = 0;
    [[maybe_unused]] const ssize_t ignored = ::read(g_pipe[1], &byte, 1);
    postCloseRequest();
}

ToolkitStartWatch::ToolkitStartWatch() {
    if (g_pipe[1] < 0 || ::pipe2(m_done, O_CLOEXEC) != 0)
        return;
    m_thread = std::thread([this] { watch(); });
}

ToolkitStartWatch::~ToolkitStartWatch() {
    if (m_thread.joinable()) {
        bool watching = false;
        if (!m_started.compare_exchange_strong(watching, true)) {
            // The watch is ending the process with its record.
            for (;;)
                ::pause();
        }
        const char byte = 1;
        [[maybe_unused]] const ssize_t ignored = ::write(m_done[1], &byte, 1);
        m_thread.join();
    }
    for (const int fd : m_done)
        if (fd >= 0)
            ::close(fd);
}

void ToolkitStartWatch::watch() {
    const auto wait = [](pollfd *entries, nfds_t count, int timeoutMs) {
        int ready = 0;
        do
            ready = ::poll(entries, count, timeoutMs);
        while (ready < 0 && errno == EINTR);
        return ready;
    };
    // The signal's byte is only looked at: CommandLineSignals reads it when
    // the toolkit comes back in time.
    pollfd entries[2] = {{m_done[0], POLLIN, 0}, {g_pipe[1], POLLIN, 0}};
    if (wait(entries, 2, -1) <= 0 || entries[0].revents != 0)
        return;
    if (wait(entries, 1, kToolkitGraceMs) != 0)
        return;
    bool watching = false;
    if (!m_started.compare_exchange_strong(watching, true))
        return;
    appendRunRecord({}, {}, ResultCode::Aborted);
    holdTerminationSignals();
    ::_exit(number(ResultCode::Aborted));
}

} // namespace nxa::app
