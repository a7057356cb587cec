#include <algorithm>

#include "net/Sockets.h"
#include "serial/PortUrl.h"

namespace stela {
namespace {

SOCKET handle(int fd) {
    return static_cast<SOCKET>(fd);
}

int asInt(SOCKET s) {
    return s == INVALID_SOCKET ? -1 : static_cast<int>(s);
}

bool nonBlocking(SOCKET s) {
    u_long on = 1;
    return ioctlsocket(s, FIONBIO, &on) == 0;
}

}  // namespace

int socketError() {
    const int error = WSAGetLastError();
    switch (error) {
        case WSAEWOULDBLOCK:
            return EWOULDBLOCK;
        case WSAEINTR:
            return EINTR;
        default:
            return error;
    }
}

// Windows' getaddrinfo gives Winsock codes.
PortFailure resolverFailure(int code, int) {
    switch (code) {
        case WSATRY_AGAIN:
            return ownFailure(FailureKind::NameServerSilent);
        case WSA_NOT_ENOUGH_MEMORY:
            return systemFailure(code);
        default:  // WSAHOST_NOT_FOUND, WSANO_DATA, WSANO_RECOVERY, ...
            return ownFailure(FailureKind::HostNotFound);
    }
}

// Never cleaned up: the sockets of the process go with it.
int socketsReady() {
    static const int error = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data);
    }();
    return error;
}

int openSocket(int family, int type, int protocol) {
    if (int error = socketsReady()) {
        WSASetLastError(error);
        return -1;
    }
    Socket s(asInt(WSASocketW(family, type, protocol, nullptr, 0,
                              WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT)));
    if (s.valid() && !nonBlocking(handle(s.get()))) {
        const int error = WSAGetLastError();
        s.reset();
        WSASetLastError(error);
    }
    return s.release();
}

// Windows bounds unacknowledged data in whole seconds.
void setUserTimeout(int fd, unsigned milliseconds) {
    const int seconds = static_cast<int>(milliseconds / 1000);
    setsockopt(handle(fd), IPPROTO_TCP, TCP_MAXRT, reinterpret_cast<const char*>(&seconds),
               sizeof seconds);
}

int pollSockets(pollfd* fds, unsigned count, int timeoutMs) {
    return WSAPoll(fds, count, timeoutMs);
}

ssize_t sendNow(int fd, const char* data, std::size_t size) {
    return ::send(handle(fd), data, int(std::min<std::size_t>(size, 1 << 30)), 0);
}

ssize_t receiveNow(int fd, char* buffer, std::size_t size) {
    return ::recv(handle(fd), buffer, int(std::min<std::size_t>(size, 1 << 30)), 0);
}

void shutdownSocket(int fd) {
    ::shutdown(handle(fd), SD_BOTH);
}

int duplicateSocket(int fd) {
    WSAPROTOCOL_INFOW info{};
    if (WSADuplicateSocketW(handle(fd), GetCurrentProcessId(), &info) != 0) {
        return -1;
    }
    const SOCKET s = WSASocketW(FROM_PROTOCOL_INFO, FROM_PROTOCOL_INFO, FROM_PROTOCOL_INFO, &info,
                                0, WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    return asInt(s);
}

// inet_addr takes the same shorthands as inet_aton (which Windows lacks); it
// cannot tell 255.255.255.255 from a failure, and that one is numeric anyway.
bool isIpv4Shorthand(const std::string& host) {
    return inet_addr(host.c_str()) != INADDR_NONE;
}

// A UDP socket on the loopback, connected to its own address: what it sends
// to itself makes it readable. Nothing else can reach it.
int openWakeup() {
    Socket s(openSocket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    if (!s.valid() || ::bind(handle(s.get()), reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        getsockname(handle(s.get()), reinterpret_cast<sockaddr*>(&address), &size) != 0 ||
        ::connect(handle(s.get()), reinterpret_cast<sockaddr*>(&address), size) != 0) {
        return -1;
    }
    return s.release();
}

void signalWakeup(int fd) {
    const char one = 1;
    ::send(handle(fd), &one, 1, 0);  // a full buffer refuses, and a full one wakes as well
}

void drainWakeup(int fd) {
    char chunk[64];
    while (::recv(handle(fd), chunk, sizeof chunk, 0) > 0) {
    }
}

}  // namespace stela
