#pragma once

#include <sys/ioctl.h>

#include <cerrno>

namespace stela {

// ioctl on a tty, repeated when a signal interrupts it: 0 or the errno value.
template <typename Arg>
int control(int fd, unsigned long request, Arg arg) {
    int result;
    do {
        result = ::ioctl(fd, request, arg);
    } while (result < 0 && errno == EINTR);
    return result < 0 ? errno : 0;
}

// A request the driver does not know: the device simply lacks that feature.
inline bool unsupported(int error) {
    return error == ENOTTY || error == EINVAL;
}

}  // namespace stela
