// The nxa-manager that a user or a scheduler starts. It does one thing before
// it hands over to the program proper (nxa-manager-main): with parameters,
// it blocks SIGTERM, SIGINT and SIGHUP. A blocked signal waits across the
// exec, so one that comes while the program proper is still being loaded
// (tens of milliseconds of its libraries) cannot end it; the program takes
// it once its handlers are installed. This file is linked statically and on
// its own, so that it is itself loaded in no time. No toolkit, no library
// of ours: nothing here may take long or fail.

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// Where the program proper stands, relative to this launcher's folder: in
// the installed tree, then in the build tree.
constexpr const char *kMainCandidates[] = {NXA_MAIN_INSTALLED, NXA_MAIN_BUILT};

} // namespace

int main(int argc, char *argv[]) {
    if (argc > 1) {
        sigset_t termination;
        sigemptyset(&termination);
        sigaddset(&termination, SIGTERM);
        sigaddset(&termination, SIGINT);
        sigaddset(&termination, SIGHUP);
        sigprocmask(SIG_BLOCK, &termination, nullptr);
    }
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
