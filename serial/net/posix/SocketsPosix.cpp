#include <fcntl.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

#include "net/Sockets.h"
#include "os/StandardStreams.h"
#include "serial/PortUrl.h"

namespace stela {

int socketError() {
    return errno;
}

PortFailure resolverFailure(int code, int systemError) {
    switch (code) {
        case EAI_AGAIN:
            return ownFailure(FailureKind::NameServerSilent);
        case EAI_MEMORY:
            return systemFailure(ENOMEM);
        case EAI_SYSTEM:
            if (systemError != 0) {
                return systemFailure(systemError);
            }
            return ownFailure(FailureKind::HostNotFound);
        default:  // EAI_NONAME, EAI_NODATA, EAI_FAIL, EAI_ADDRFAMILY, ...
            return ownFailure(FailureKind::HostNotFound);
    }
}

int socketsReady() {
    return 0;
}

int openSocket(int family, int type, int protocol) {
    return aboveStandardStreams(::socket(family, type | SOCK_NONBLOCK | SOCK_CLOEXEC, protocol));
}

void setUserTimeout(int fd, unsigned milliseconds) {
    const int value = static_cast<int>(milliseconds);
    setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &value, sizeof value);
}

int pollSockets(pollfd* fds, unsigned count, int timeoutMs) {
    return ::poll(fds, count, timeoutMs);
}

ssize_t sendNow(int fd, const char* data, std::size_t size) {
    return ::send(fd, data, size, MSG_DONTWAIT | MSG_NOSIGNAL);
}

ssize_t receiveNow(int fd, char* buffer, std::size_t size) {
    return ::recv(fd, buffer, size, MSG_DONTWAIT);
}

void shutdownSocket(int fd) {
    ::shutdown(fd, SHUT_RDWR);
}

int duplicateSocket(int fd) {
    return ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
}

bool isIpv4Shorthand(const std::string& host) {
    in_addr parsed{};
    return inet_aton(host.c_str(), &parsed) != 0;
}

int openWakeup() {
    return ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

void signalWakeup(int fd) {
    const std::uint64_t one = 1;
    // Only a full counter refuses, and a full one wakes as well.
    (void)!::write(fd, &one, sizeof one);
}

void drainWakeup(int fd) {
    std::uint64_t count;
    (void)!::read(fd, &count, sizeof count);
}

}  // namespace stela
