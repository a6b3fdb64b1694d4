#pragma once

// Used by the launcher too, which is linked on its own: system headers only.

#include <csignal>
#include <cstdint>

namespace nxa::app {

// The signals whose default action ends the process, that an unattended run
// takes as a close request instead. Left out: SIGKILL and SIGSTOP, which
// cannot be caught; SIGSEGV, SIGBUS, SIGFPE, SIGILL and SIGABRT, which tell
// of a fault of the program itself; SIGPIPE and SIGXFSZ, which are ignored
// (a write that fails is seen and reported).
inline constexpr int kClassicTerminationSignals[] = {
    SIGHUP,    SIGINT,  SIGQUIT,   SIGTRAP, SIGUSR1, SIGUSR2, SIGALRM, SIGTERM,
    SIGSTKFLT, SIGXCPU, SIGVTALRM, SIGPROF, SIGIO,   SIGPWR,  SIGSYS};

// The real-time signals as the kernel numbers them. The C library keeps the
// first two (32 and 33) for its threads; they are never blocked or handled.
inline constexpr int kFirstRealTimeSignal = 34;
inline constexpr int kLastRealTimeSignal = 64;

// The kernel's signal mask of all of them, for the launcher's first
// instructions, before the C library runs (bit n - 1 is signal n).
inline constexpr std::uint64_t terminationSignalMask() {
    std::uint64_t mask = 0;
    for (const int signal : kClassicTerminationSignals)
        mask |= std::uint64_t{1} << (signal - 1);
    for (int signal = kFirstRealTimeSignal; signal <= kLastRealTimeSignal; ++signal)
        mask |= std::uint64_t{1} << (signal - 1);
    return mask;
}

// Calls `take(signal)` for every termination signal.
template <typename Take> void forEachTerminationSignal(Take take) {
    for (const int signal : kClassicTerminationSignals)
        take(signal);
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal)
        take(signal);
}

} // namespace nxa::app
