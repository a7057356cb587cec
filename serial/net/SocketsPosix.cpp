#include <fcntl.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

#include "net/Sockets.h"
#include "os/StandardStreams.h"

namespace stela {

int socketError() {
    return errno;
}

int socketsReady() {
    return 0;
}

int openSocket(int family, int type, int protocol) {
    return aboveStandardStreams(::socket(family, type | SOCK_NONBLOCK | SOCK_CLOEXEC, protocol));
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
