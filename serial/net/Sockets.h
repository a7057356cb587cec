#pragma once

// The socket calls of the network devices, over POSIX sockets on Linux and
// Winsock on Windows. Sockets are held as ints, like descriptors (Winsock's
// handles are small kernel handles); errors are errno values on Linux and
// Windows error codes on Windows, except "would block" and "interrupted",
// which both tell as EWOULDBLOCK and EINTR so that callers test one set.

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
// TCP options of Windows 10 that mingw-w64's headers lack (the SDK's values);
// older systems refuse them, and the connection goes without.
#ifndef TCP_KEEPIDLE
#define TCP_KEEPIDLE 3
#define TCP_KEEPCNT 16
#define TCP_KEEPINTVL 17
#endif
#ifndef TCP_MAXRT
#define TCP_MAXRT 5
#endif
#else
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#endif

#include <cerrno>
#include <cstddef>
#include <utility>

#include "os/FileDescriptor.h"

namespace stela {

#ifdef _WIN32
// Owns a socket and closes it when it goes (closesocket).
class Socket {
public:
    Socket() = default;
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket() { reset(); }
    Socket(Socket&& other) noexcept : fd_(other.release()) {}
    Socket& operator=(Socket&& other) noexcept {
        reset(other.release());
        return *this;
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release() { return std::exchange(fd_, -1); }
    void reset(int fd = -1);

private:
    int fd_ = -1;
};
using ssize_t = long long;
#else
using Socket = FileDescriptor;
#endif

// What a non-blocking connect() under way fails with.
#ifdef _WIN32
inline constexpr int kConnectPending = EWOULDBLOCK;
#else
inline constexpr int kConnectPending = EINPROGRESS;
#endif

// The error of the socket call that failed last.
int socketError();
// Starts Winsock once for the process (nothing on Linux); 0 or its error.
int socketsReady();

// A new TCP or UDP socket, non-blocking, not inherited by child processes.
int openSocket(int family, int type, int protocol);
int pollSockets(pollfd* fds, unsigned count, int timeoutMs);
inline pollfd pollFor(int fd, short events) {
    pollfd entry{};
    entry.fd = fd;
    entry.events = events;
    return entry;
}
// Without waiting and without a signal for a closed connection.
ssize_t sendNow(int fd, const char* data, std::size_t size);
ssize_t receiveNow(int fd, char* buffer, std::size_t size);
// Both directions.
void shutdownSocket(int fd);
// A second socket of the same connection, -1 on failure (socketError() tells).
int duplicateSocket(int fd);

// A wake-up that socket waits can include: readable once signalled, until
// drained (an eventfd; on Windows a loopback UDP socket that sends to itself).
int openWakeup();
void signalWakeup(int fd);
void drainWakeup(int fd);

}  // namespace stela
