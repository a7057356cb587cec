#pragma once

// Linux's socket headers and the socket owner, for net/Sockets.h.
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

#include "os/FileDescriptor.h"

namespace stela {

// A socket is a descriptor.
using Socket = FileDescriptor;

// What a non-blocking connect() under way fails with.
inline constexpr int kConnectPending = EINPROGRESS;

}  // namespace stela
