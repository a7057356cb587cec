#include "net/NetComDevice.h"

#include <algorithm>
#include <thread>

#include "net/NetEventWatch.h"
#include "net/NetLink.h"
#include "net/Rfc2217Client.h"
#include "net/TcpConnect.h"

namespace stela {
namespace {

using Clock = std::chrono::steady_clock;

// A raw server that turns us away (ser2net: "Port already in use") closes the
// connection about one round trip after accepting it; the connect's own time
// measures that trip.
Clock::duration refusalGrace(Clock::duration connectTime) {
    return std::min<Clock::duration>(std::chrono::milliseconds(5) + 2 * connectTime,
                                     std::chrono::milliseconds(500));
}

}  // namespace

NetComDevice::NetComDevice() = default;

NetComDevice::~NetComDevice() {
    close();
}

PortFailure NetComDevice::open(const PortAddress& address) {
    if (link_) {
        return ownFailure(FailureKind::InUse);
    }
    const std::optional<PortUrl> url = address.url();
    if (!url) {
        return ownFailure(FailureKind::BadAddress);
    }
    const auto begin = Clock::now();
    const auto deadline = begin + kConnectTimeout;
    AddressList addresses(nullptr, &freeaddrinfo);
    if (const PortFailure failure = resolveServer(*url, deadline, addresses)) {
        return failure;
    }
    if (const PortFailure failure = lock_.acquire(addresses.get())) {
        return failure;
    }
    // A server lets go of its line some milliseconds after a client closed, and
    // until then turns the next one away as if another held it: the previous
    // run of a script, or our own close just before.
    PortFailure failure;
    while ((failure = connect(addresses.get(), url->scheme, deadline)).kind() ==
               FailureKind::InUse &&
           Clock::now() < begin + kReleaseTime) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (failure) {
        lock_.release();
        return failure;
    }
    scheme_ = url->scheme;
    parityCheck_ = false;
    applied_.reset();
    openDeadline_ = deadline;
    return {};
}

PortFailure NetComDevice::connect(const addrinfo* addresses, PortScheme scheme,
                                  std::chrono::steady_clock::time_point deadline) {
    const auto begin = Clock::now();
    int fd = -1;
    if (const PortFailure failure = connectTcp(addresses, deadline, fd)) {
        return failure;
    }
    auto link = std::make_shared<NetLink>(fd, scheme);
    if (const PortFailure failure = link->start(deadline, refusalGrace(Clock::now() - begin))) {
        return failure;
    }
    link_ = std::move(link);
    return {};
}

void NetComDevice::close() {
    if (!link_) {
        return;
    }
    link_->close();
    link_.reset();
    lock_.release();
}

PortFailure NetComDevice::setQueueSizes(int inputSize, int outputSize) {
    if (!link_) {
        return ownFailure(FailureKind::NotOpen);
    }
    return inputSize < 0 || outputSize < 0 ? ownFailure(FailureKind::Unsupported) : PortFailure();
}

PortFailure NetComDevice::setLineParameters(const LineParameters& line) {
    if (!link_) {
        return ownFailure(FailureKind::NotOpen);
    }
    if (scheme_ == PortScheme::Tcp) {
        parityCheck_ = line.parityCheck;
        return {};  // the server's port has the settings the server gives it
    }
    if (!Rfc2217Client::supports(line)) {
        return ownFailure(FailureKind::Unsupported);
    }
    // The first settings complete the open, within its time.
    const PortFailure failure =
        link_->applySettings(line, applied_ ? Clock::now() + kConnectTimeout : openDeadline_);
    if (!failure) {
        applied_ = line;
        parityCheck_ = line.parityCheck;
    } else if (failure.kind() == FailureKind::Unsupported && applied_) {
        // Back to what was in force (the server may have taken some of them).
        link_->applySettings(*applied_, Clock::now() + kConnectTimeout);
    }
    return failure;
}

PortFailure NetComDevice::setTimeouts(const TimeoutValues& timeouts) {
    if (!link_) {
        return ownFailure(FailureKind::NotOpen);
    }
    timeouts_ = timeouts;
    return {};
}

// Output is not purged. Everything a write handed over is already in the socket
// or at the server, and over RFC 2217 a purge of the server's transmit buffer
// (or of a pseudo-terminal's, which is the far end's input) would take back the
// frame written just before: the write confirmation writes and then clears.
// Input: what has arrived by now is discarded here, and the server is asked to
// drop what it still holds from the line. That request follows the frame on the
// same stream, so the server has it long before the sign can have answered the
// frame (its bytes alone take milliseconds on the line): a quick reply survives.
PortFailure NetComDevice::purge(bool input, bool /*output*/) {
    if (!link_) {
        return ownFailure(FailureKind::NotOpen);
    }
    return input ? link_->purgeInput() : PortFailure();
}

// Nothing is ever in flight between calls.
PortFailure NetComDevice::abortTransfers() {
    return link_ ? PortFailure() : ownFailure(FailureKind::NotOpen);
}

PortFailure NetComDevice::read(char* buffer, int capacity, int& received) {
    received = 0;
    return link_ ? link_->read(buffer, capacity, received) : ownFailure(FailureKind::NotOpen);
}

PortFailure NetComDevice::write(const char* data, int size, int& sent) {
    sent = 0;
    if (!link_) {
        return ownFailure(FailureKind::NotOpen);
    }
    if (size <= 0) {
        return {};
    }
    const std::int64_t ms = std::min<std::int64_t>(
        std::int64_t(timeouts_.writeTotalMultiplier) * size + timeouts_.writeTotalConstant,
        std::int64_t(24) * 3600 * 1000);
    // Without a write timeout the socket still gets a second to take the bytes.
    const auto bound = std::chrono::milliseconds(ms > 0 ? ms : 1000);
    return link_->write(data, size, Clock::now() + bound, sent);
}

PortFailure NetComDevice::modemLines(TComSignals& lines) {
    lines = {};
    return link_ ? link_->modemLines(lines) : ownFailure(FailureKind::NotOpen);
}

PortFailure NetComDevice::lineErrors(TComErrors& errors) {
    errors = {};
    return link_ ? link_->lineErrors(parityCheck_, errors) : ownFailure(FailureKind::NotOpen);
}

PortFailure NetComDevice::watchEvents(std::uint32_t mask, std::unique_ptr<LineEventWatch>& watch) {
    if (!link_) {
        return ownFailure(FailureKind::NotOpen);
    }
    return NetEventWatch::create(link_, mask, watch);
}

}  // namespace stela
