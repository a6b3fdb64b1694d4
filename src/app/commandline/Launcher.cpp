// The nxa-manager that a user or a scheduler starts. It does two things
// before it hands over to the program proper (nxa-manager-main): with
// parameters, it blocks the termination signals (TerminationSignals.h), and
// it opens a closed standard descriptor on /dev/null. A blocked signal waits
// across the exec, so one that comes while the program proper is still being
// loaded (tens of milliseconds of its libraries) cannot end it; the program
// takes it once its handlers are installed. This file is linked statically
// and on its own, so that it is itself loaded in no time. No toolkit, no
// library of ours: nothing here may take long or fail.

#include "app/commandline/StandardDescriptors.h"
#include "app/commandline/TerminationSignals.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#ifdef NXA_EARLY_ENTRY
// The process starts here, not in the C library's start-up, which takes a
// while before main runs: the very first instructions block the signals with
// the bare system call (when there are parameters), keep the register that
// the start-up expects, and go on to it. Between the exec and this nothing
// can be done.
extern "C" const std::uint64_t nxa_blocked_at_entry = nxa::app::terminationSignalMask();
asm(R"(
    .text
    .globl nxa_launcher_entry
    .type nxa_launcher_entry, @function
nxa_launcher_entry:
    cmpq $1, (%rsp)
    jbe 1f
    movq %rdx, %r9
    movl $14, %eax
    xorl %edi, %edi
    leaq nxa_blocked_at_entry(%rip), %rsi
    xorl %edx, %edx
    movl $8, %r10d
    syscall
    movq %r9, %rdx
1:
    jmp _start
    .size nxa_launcher_entry, .-nxa_launcher_entry
)");
#endif

namespace {

// Where the program proper stands, relative to this launcher's folder: in
// the installed tree, then in the build tree.
constexpr const char *kMainCandidates[] = {NXA_MAIN_INSTALLED, NXA_MAIN_BUILT};

} // namespace

int main(int argc, char *argv[]) {
    if (argc > 1) {
        // Already done at the entry where the toolchain allows it.
        sigset_t termination;
        sigemptyset(&termination);
        nxa::app::forEachTerminationSignal([&](int signal) { sigaddset(&termination, signal); });
        sigprocmask(SIG_BLOCK, &termination, nullptr);
    }
    nxa::app::openStandardDescriptors();
    char folder[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", folder, sizeof folder - 1);
    if (length > 0) {
        folder[length] = '\0';
        if (char *slash = std::strrchr(folder, '/'))
            *slash = '\0';
    }
    int error = ENOENT;
    for (const char *candidate : kMainCandidates) {
        char path[PATH_MAX];
        if (std::snprintf(path, sizeof path, "%s/%s", folder, candidate) >= int(sizeof path))
            continue;
        execv(path, argv);
        error = errno;
    }
    std::fprintf(stderr, "nxa-manager: cannot start the program: %s\n", std::strerror(error));
    return 127;
}
