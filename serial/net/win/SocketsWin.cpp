#include <algorithm>

#include "net/Sockets.h"

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

void Socket::reset(int fd) {
    if (fd_ >= 0) {
        closesocket(handle(fd_));
    }
    fd_ = fd;
}

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
    const SOCKET s = WSASocketW(family, type, protocol, nullptr, 0,
                                WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    if (s != INVALID_SOCKET && !nonBlocking(s)) {
        const int error = WSAGetLastError();
        closesocket(s);
        WSASetLastError(error);
        return -1;
    }
    return asInt(s);
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
