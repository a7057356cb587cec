#pragma once

#include "net/Sockets.h"

#include <chrono>
#include <memory>

#include "serial/PortFailure.h"
#include "serial/PortUrl.h"

namespace stela {

using AddressList = std::unique_ptr<addrinfo, decltype(&freeaddrinfo)>;

// The addresses of the server of `url`, found before `deadline`: a literal
// address as it stands, a name through the resolver, which may take its time
// (it is waited for only until the deadline). A name the C library would read
// as an IPv4 shorthand ("127.1") is refused (BadAddress), never resolved.
//
// Fails as HostNotFound for a host that does not resolve, BadZone for an IPv6
// zone that names no interface here or is given to an address that takes none,
// NameServerSilent when the resolver did not answer in time.
PortFailure resolveServer(const PortUrl& url, std::chrono::steady_clock::time_point deadline,
                          AddressList& addresses);

// Connects to `addresses` in turn before `deadline` with a non-blocking
// connect. The socket comes back non-blocking, with TCP_NODELAY (a frame leaves
// at once) and keep-alive probes and a user timeout, so that a server that died
// without a word fails the next operation within some ten seconds instead of
// never.
//
// Gives the socket in `fd`, or fails: TimedOut when no address answered in
// time, else as the last address's own error (ConnectionRefused, Unreachable, ...).
PortFailure connectTcp(const addrinfo* addresses, std::chrono::steady_clock::time_point deadline,
                       int& fd);

}  // namespace stela
