#pragma once

// Used by the launcher too, which is linked on its own: system headers only.

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace nxa::app {

// A run started with descriptor 0, 1 or 2 closed (`>&-` silences cron) gets
// them back on /dev/null before it opens anything else. Otherwise the next
// file or socket it opened would take the free number, and a line meant for
// standard output would land in it. Where /dev/null cannot be opened, a pipe
// whose other end is closed takes the place: writes fail and are dropped.
inline void openStandardDescriptors() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
            continue;
        // The lowest free number is taken, and every lower one is open.
        if (::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY) == fd)
            continue;
        int ends[2] = {-1, -1};
        if (::pipe(ends) != 0)
            return;
        // ends[0] took the number fd: standard input reads an end of file
        // from it; an output gets the write end in its place.
        if (fd != STDIN_FILENO)
            ::dup2(ends[1], ends[0]);
        ::close(ends[1]);
    }
}

} // namespace nxa::app
