#include "serial/net/NetPortLock.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>

namespace stela {

std::string NetPortLock::lockName(const std::string& serverPort) {
    return "stela-port/" + serverPort;
}

int NetPortLock::acquire(const std::string& serverPort) {
    release();
    const std::string name = lockName(serverPort);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    // Byte 0 stays NUL: the abstract namespace. Names longer than the field are
    // cut; a host name that long is not met in practice.
    const std::size_t length = std::min(name.size(), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path + 1, name.data(), length);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return errno;
    }
    const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), size) != 0) {
        const int error = errno;
        ::close(fd);
        return error == EADDRINUSE ? EBUSY : error;
    }
    fd_ = fd;
    return 0;
}

void NetPortLock::release() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

}  // namespace stela
