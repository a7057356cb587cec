#include "net/NetPortLock.h"

#ifndef _WIN32
#include <sys/un.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>

#include "os/StandardStreams.h"

namespace stela {

std::string NetPortLock::serverPort(const sockaddr* address, socklen_t size) {
    char host[NI_MAXHOST];
    char service[NI_MAXSERV];
    if (getnameinfo(address, size, host, sizeof host, service, sizeof service,
                    NI_NUMERICHOST | NI_NUMERICSERV) != 0) {
        return {};
    }
    const std::string name = address->sa_family == AF_INET6 ? "[" + std::string(host) + "]" : host;
    return name + ":" + service;
}

std::string NetPortLock::lockName(const std::string& serverPort) {
    return "stela-port/" + serverPort;
}

int NetPortLock::acquire(const addrinfo* addresses) {
    release();
    std::vector<std::string> ports;
    for (const addrinfo* a = addresses; a != nullptr; a = a->ai_next) {
        ports.push_back(serverPort(a->ai_addr, a->ai_addrlen));
    }
    std::sort(ports.begin(), ports.end());
    ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
    for (const std::string& port : ports) {
        if (int error = bind(port)) {
            release();
            return error;
        }
    }
    return 0;
}

#ifdef _WIN32
int NetPortLock::bind(const std::string& serverPort) {
    const std::string name = "Global\\" + lockName(serverPort);
    const HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
    const DWORD error = GetLastError();
    if (mutex == nullptr) {
        return error == ERROR_ACCESS_DENIED ? ERROR_BUSY : int(error);  // another user's
    }
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return ERROR_BUSY;
    }
    fds_.emplace_back(mutex, CloseHandle);
    return 0;
}
#else
int NetPortLock::bind(const std::string& serverPort) {
    const std::string name = lockName(serverPort);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    // Byte 0 stays NUL: the abstract namespace. Names longer than the field are
    // cut; an address is never that long.
    const std::size_t length = std::min(name.size(), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path + 1, name.data(), length);
    FileDescriptor fd(aboveStandardStreams(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)));
    if (!fd.valid()) {
        return errno;
    }
    const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), size) != 0) {
        return errno == EADDRINUSE ? EBUSY : errno;
    }
    fds_.push_back(std::move(fd));
    return 0;
}
#endif

void NetPortLock::release() {
    fds_.clear();
}

}  // namespace stela
