// The lock's names on Linux: Unix sockets bound in the abstract namespace.
#include <sys/un.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>

#include "net/NetPortLock.h"
#include "os/StandardStreams.h"

namespace stela {

PortFailure NetPortLock::bind(const std::string& serverPort) {
    const std::string name = lockName(serverPort);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    // Byte 0 stays NUL: the abstract namespace. Names longer than the field are
    // cut; an address is never that long.
    const std::size_t length = std::min(name.size(), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path + 1, name.data(), length);
    FileDescriptor fd(aboveStandardStreams(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)));
    if (!fd.valid()) {
        return systemFailure(errno);
    }
    const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), size) != 0) {
        return errno == EADDRINUSE ? ownFailure(FailureKind::InUse) : systemFailure(errno);
    }
    bindings_.push_back(std::make_shared<FileDescriptor>(std::move(fd)));
    return {};
}

}  // namespace stela
