#pragma once

#include <chrono>
#include <memory>
#include <optional>

#include "net/NetPortLock.h"
#include "serial/ComDevice.h"
#include "serial/PortUrl.h"

struct addrinfo;

namespace stela {

class NetLink;

// A serial line behind a network server (ser2net, a serial device server),
// named by a URL (serial/PortUrl.h), or by a COM name whose dosdevices link
// points at one.
//
// open() fails as BadAddress for a name that is no valid URL, HostNotFound or
// NameServerSilent when the host does not resolve, BadZone for an IPv6 zone that
// does not fit (no such interface here), TimedOut when the server does not
// answer within kConnectTimeout, ConnectionRefused, Unreachable and the like
// from the connect, NotRfc2217 for an rfc2217:// server that does not take the
// COM-PORT-OPTION, ProtocolBroken for one that breaks the Telnet protocol, InUse
// when another stela on this machine holds the server's port (an address the
// host resolved to) or the server closes the connection at once.
// kConnectTimeout bounds the whole open: the lookup, the connect, the
// negotiation and the first line settings (TimedOut when they are not taken by
// then), which are the open's last step.
//
// Writes complete when the socket has taken every byte: there is no transmit
// queue to watch, the bytes are on their way to the server. Line settings reach
// the server over RFC 2217 and are confirmed by it; over raw TCP they are the
// server's own and every setting is accepted as it stands. A purge discards what
// has arrived and, over RFC 2217, what the server holds from the line; output is
// never purged: what a write handed over is on its way and cannot be had back
// (see purge()).
class NetComDevice final : public ComDevice {
public:
    static constexpr std::chrono::milliseconds kConnectTimeout{3000};

    NetComDevice();
    ~NetComDevice() override;
    NetComDevice(const NetComDevice&) = delete;
    NetComDevice& operator=(const NetComDevice&) = delete;

    PortFailure open(const PortAddress& address) override;
    void close() override;
    bool isOpen() const override { return link_ != nullptr; }

    PortFailure setQueueSizes(int inputSize, int outputSize) override;
    PortFailure setLineParameters(const LineParameters& line) override;
    PortFailure setTimeouts(const TimeoutValues& timeouts) override;

    PortFailure purge(bool input, bool output) override;
    PortFailure abortTransfers() override;
    PortFailure read(char* buffer, int capacity, int& received) override;
    PortFailure write(const char* data, int size, int& sent) override;

    PortFailure modemLines(TComSignals& lines) override;
    PortFailure lineErrors(TComErrors& errors) override;
    PortFailure watchEvents(std::uint32_t mask, std::unique_ptr<LineEventWatch>& watch) override;

private:
    // How long a server may take to let go of its line after a client closed.
    static constexpr std::chrono::milliseconds kReleaseTime{250};

    PortFailure connect(const addrinfo* addresses, PortScheme scheme,
                        std::chrono::steady_clock::time_point deadline);

    std::shared_ptr<NetLink> link_;
    PortScheme scheme_ = PortScheme::Tcp;
    NetPortLock lock_;
    TimeoutValues timeouts_;
    bool parityCheck_ = false;
    std::optional<LineParameters> applied_;  // what the server took last
    std::chrono::steady_clock::time_point openDeadline_;
};

}  // namespace stela
