#include "collect/CollectSignals.h"

#include <atomic>
#include <csignal>

namespace nxa::collect {

namespace {

std::atomic<bool> g_stop{false};

extern "C" void onStopSignal(int) {
    g_stop.store(true);
}

} // namespace

void installStopSignals() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

bool stopRequested() {
    return g_stop.load();
}

} // namespace nxa::collect
