#include "os/StandardStreams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace stela {

void openStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        // The lowest free descriptor, so this one. Without /dev (a bare
        // chroot) the root folder as a path only: reads and writes then fail.
        if (::open("/dev/null", O_RDWR | O_NOCTTY) < 0) {
            ::open("/", O_PATH);
        }
    }
}

int aboveStandardStreams(int fd) {
    if (fd < 0 || fd > STDERR_FILENO) {
        return fd;
    }
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    const int error = errno;
    ::close(fd);
    errno = error;
    return moved;
}

}  // namespace stela
