#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "net/Sockets.h"
#include "os/FileDescriptor.h"
#include "serial/ComDevice.h"

namespace stela {

class NetLink;

// Line events of a network port, waited for in one epoll set, both
// edge-triggered: the socket (data left unread never wakes the wait again) and
// the link's wake-up, which a write (evTxEmpty) and stop() use. Windows polls
// both instead (level-triggered): the wake-up is drained, and every wake-up
// pumps the socket empty, so nothing left behind wakes the wait again. Each wake-up pumps
// the link and reports what came: received data, and over RFC 2217 the modem
// lines and line errors the server notified. The event character and the 80 %
// mark are never reported.
class NetEventWatch final : public LineEventWatch {
public:
    static PortFailure create(std::shared_ptr<NetLink> link, std::uint32_t mask,
                              std::unique_ptr<LineEventWatch>& watch);
    ~NetEventWatch() override;

    bool wait(std::uint32_t& kinds) override;
    void stop() override;

private:
    NetEventWatch(std::shared_ptr<NetLink> link, std::uint32_t mask);
    // Per system (posix/NetEventWatchPosix.cpp, win/NetEventWatchWin.cpp): makes
    // what the waits wait on, and waits until the socket or the wake-up is ready
    // (false when the wait itself failed).
    PortFailure start();
    bool waitForActivity();

    const std::shared_ptr<NetLink> link_;
    const std::uint32_t mask_;
    Socket socket_;         // our own descriptor of the link's socket
    FileDescriptor epoll_;  // Linux's epoll set of both (Windows polls instead: none)
    std::atomic<bool> stopped_{false};
};

}  // namespace stela
