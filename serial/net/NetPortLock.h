#pragma once

#include <string>

namespace stela {

// Keeps a second program on this machine from using the same server port while
// we hold it: a Unix socket bound to an abstract name made of the server's port
// ("stela-port/10.1.2.3:4001"). The kernel knows one binding per name for every
// user, needs no file, and drops it when the holder ends, crash or not.
class NetPortLock {
public:
    NetPortLock() = default;
    ~NetPortLock() { release(); }
    NetPortLock(const NetPortLock&) = delete;
    NetPortLock& operator=(const NetPortLock&) = delete;

    // `serverPort` as serverPortKey() gives it. EBUSY when another holds it.
    int acquire(const std::string& serverPort);
    void release();

    // The abstract name (without its leading NUL) for `serverPort`, as it shows
    // in /proc/net/unix after an '@'.
    static std::string lockName(const std::string& serverPort);

private:
    int fd_ = -1;
};

}  // namespace stela
