#pragma once

// Winsock's headers and the socket owner, for net/Sockets.h.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cerrno>

#include "os/UniqueHandle.h"

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

namespace stela {

struct SocketTraits {
    using Handle = int;
    static constexpr int none() { return -1; }
    static void close(int socket) { closesocket(static_cast<SOCKET>(socket)); }
};
// Owns a socket and closes it when it goes.
using Socket = UniqueHandle<SocketTraits>;

using ssize_t = long long;

// What a non-blocking connect() under way fails with.
inline constexpr int kConnectPending = EWOULDBLOCK;

}  // namespace stela
