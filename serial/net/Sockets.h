#pragma once

// The socket calls of the network devices, over POSIX sockets on Linux
// (posix/SocketsPosix.cpp) and Winsock on Windows (win/SocketsWin.cpp). Sockets
// are held as ints, like descriptors (Winsock's handles are small kernel
// handles), and owned by a Socket; errors are errno values on Linux and Windows
// error codes on Windows, except "would block" and "interrupted", which both
// tell as EWOULDBLOCK and EINTR so that callers test one set. systemFailure
// classifies the others.

#include "SocketSystem.h"  // the system's socket headers, Socket, kConnectPending

#include <cerrno>
#include <cstddef>
#include <utility>

#include "serial/PortFailure.h"

namespace stela {

// The error of the socket call that failed last.
int socketError();
// What getaddrinfo's `code` says, with the errno of a resolver that failed in a
// system call (`systemError`, where the system has such a code).
PortFailure resolverFailure(int code, int systemError);
// Starts Winsock once for the process (nothing on Linux); 0 or its error.
int socketsReady();

// A new TCP or UDP socket, non-blocking, not inherited by child processes.
int openSocket(int family, int type, int protocol);
// Bounds how long sent bytes may stay unacknowledged before the connection
// fails (Windows counts it in whole seconds).
void setUserTimeout(int fd, unsigned milliseconds);
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
