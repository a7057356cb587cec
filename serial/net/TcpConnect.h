#pragma once

#include "net/Sockets.h"

#include <chrono>
#include <memory>

#include "serial/PortUrl.h"

namespace stela {

using AddressList = std::unique_ptr<addrinfo, decltype(&freeaddrinfo)>;

// The addresses of the server of `url`, found before `deadline`: a literal
// address as it stands, a name through the resolver, which may take its time
// (it is waited for only until the deadline). A name the C library would read
// as an IPv4 shorthand ("127.1") is refused with EINVAL, never resolved.
//
// Returns 0, or an errno value: ENOENT for a host that does not resolve, ENODEV
// for an IPv6 zone that names no interface here or is given to an address that
// takes none, EAGAIN when the resolver did not answer in time.
int resolveServer(const PortUrl& url, std::chrono::steady_clock::time_point deadline,
                  AddressList& addresses);

// Connects to `addresses` in turn before `deadline` with a non-blocking
// connect. The socket comes back non-blocking, with TCP_NODELAY (a frame leaves
// at once) and keep-alive probes and a user timeout, so that a server that died
// without a word fails the next operation within some ten seconds instead of
// never.
//
// Returns 0 and the socket in `fd`, or an errno value: ETIMEDOUT when no address
// answered in time, or the last address's own error (ECONNREFUSED, EHOSTUNREACH,
// ENETUNREACH, ...).
int connectTcp(const addrinfo* addresses, std::chrono::steady_clock::time_point deadline, int& fd);

}  // namespace stela
