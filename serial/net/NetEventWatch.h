#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "net/Sockets.h"
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
    static int create(std::shared_ptr<NetLink> link, std::uint32_t mask,
                      std::unique_ptr<LineEventWatch>& watch);
    ~NetEventWatch() override;

    int wait(std::uint32_t& kinds) override;
    void stop() override;

private:
    NetEventWatch(std::shared_ptr<NetLink> link, std::uint32_t mask);
    int start();

    const std::shared_ptr<NetLink> link_;
    const std::uint32_t mask_;
    Socket socket_;         // our own descriptor of the link's socket
    FileDescriptor epoll_;  // (Windows polls instead)
    std::atomic<bool> stopped_{false};
};

}  // namespace stela
