#pragma once

#include <memory>
#include <string>
#include <vector>

#include "net/Sockets.h"

namespace stela {

// Keeps a second program on this machine from using the same server port while
// we hold it: a Unix socket bound to an abstract name made of the server's
// address and port ("stela-port/10.1.2.3:4001"); on Windows, a named mutex
// ("Global\stela-port/10.1.2.3:4001"). The kernel knows one binding
// per name for every user, needs no file, and drops it when the holder ends,
// crash or not. The name is made of the address a host resolved to, never of
// how the host was spelt, so "localhost" and "127.0.0.1" meet.
class NetPortLock {
public:
    NetPortLock() = default;
    ~NetPortLock() { release(); }
    NetPortLock(const NetPortLock&) = delete;
    NetPortLock& operator=(const NetPortLock&) = delete;

    // Holds the server port of every one of `addresses` (all a host resolved
    // to: any of them may be the one connected to), or none. InUse when another
    // holds one of them.
    PortFailure acquire(const addrinfo* addresses);
    void release();

    // "10.1.2.3:4001", "[fd00::5]:4001", "[fe80::1%eth0]:4001": the server port
    // an address stands for.
    static std::string serverPort(const sockaddr* address, socklen_t size);
    // The abstract name (without its leading NUL) for `serverPort`, as it shows
    // in /proc/net/unix after an '@'.
    static std::string lockName(const std::string& serverPort);

private:
    // Holds the name of `serverPort` (NetPortLockPosix.cpp, win/NetPortLockWin.cpp).
    PortFailure bind(const std::string& serverPort);

    // What holds each name: a socket on Linux, a named mutex on Windows.
    std::vector<std::shared_ptr<const void>> bindings_;
};

}  // namespace stela
