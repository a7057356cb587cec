#pragma once

#include <chrono>

#include "serial/net/PortUrl.h"

namespace stela {

// Connects to the server of `url` before `deadline`: resolves the host (a name
// through the resolver, which may take its time: it is waited for only until the
// deadline), then tries its addresses in turn with a non-blocking connect. The
// socket comes back non-blocking, with TCP_NODELAY (a frame leaves at once) and
// keep-alive probes and a user timeout, so that a server that died without a word
// fails the next operation within some ten seconds instead of never.
//
// Returns 0 and the socket in `fd`, or an errno value: ENOENT for a host that does
// not resolve, EAGAIN when the resolver did not answer in time, ETIMEDOUT when no
// address answered in time, or the last address's own error (ECONNREFUSED,
// EHOSTUNREACH, ENETUNREACH, ...).
int connectTcp(const PortUrl& url, std::chrono::steady_clock::time_point deadline, int& fd);

}  // namespace stela
