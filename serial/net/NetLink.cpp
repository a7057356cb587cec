#include "net/NetLink.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "net/Telnet.h"
#include "serial/EventMask.h"
#include "serial/SpeedTaken.h"

namespace stela {
namespace {

// Line data held for the port at most; beyond it bytes are lost, as when a
// driver's input queue overflows.
constexpr std::size_t kInputLimit = 64 * 1024;
// What the server must be told and has not read, at most: a few commands are
// all a working server ever leaves unread.
constexpr std::size_t kOutputLimit = 64 * 1024;
// What one pump takes off the socket at most, so that a server that sends
// without pause cannot hold the pump (and everyone waiting, past any deadline).
constexpr std::size_t kPumpLimit = 64 * 1024;

int millisecondsLeft(NetLink::Clock::time_point deadline) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - NetLink::Clock::now());
    return static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, 24LL * 3600 * 1000));
}

}  // namespace

NetLink::NetLink(int fd, PortScheme scheme)
    : fd_(fd),
      telnet_(scheme == PortScheme::Rfc2217),
      progress_(openWakeup()),
      wake_(openWakeup()),
      wakeupError_(progress_.valid() && wake_.valid() ? 0 : socketError()) {}

NetLink::~NetLink() {
    close();
}

void NetLink::close() {
    const Lock lock(mutex_);
    if (fd_.valid()) {
        shutdownSocket(fd_.get());  // wakes a watch waiting on its own descriptor
        fd_.reset();
    }
    down_ = true;
}

PortFailure NetLink::start(Clock::time_point deadline, Clock::duration grace) {
    Lock lock(mutex_);
    if (!progress_.valid() || !wake_.valid()) {
        return wakeupError_ != 0 ? systemFailure(wakeupError_) : ownFailure(FailureKind::Other);
    }
    // A server that closes the connection at once serves someone else.
    const PortFailure turnedAway = ownFailure(FailureKind::InUse);
    if (!telnet_) {
        const auto end = std::min(deadline, Clock::now() + grace);  // within the open's time
        const PortFailure failure = waitUntil(lock, end, [] { return false; });
        return failure.kind() == FailureKind::Gone ? turnedAway : PortFailure();
    }
    tell(client_.greeting());
    PortFailure failure = waitUntil(
        lock, deadline, [this] { return client_.comPort() != Rfc2217Client::ComPort::Pending; });
    if (!failure && client_.comPort() == Rfc2217Client::ComPort::Accepted) {
        client_.resetReplies();
        tell(Rfc2217Client::baudRateQuery());
        failure = waitUntil(lock, deadline,
                            [this] { return client_.replies(Rfc2217Client::kSetBaudRate) > 0; });
    } else if (!failure) {
        return ownFailure(FailureKind::NotRfc2217);
    }
    if (broken_) {
        return ownFailure(FailureKind::ProtocolBroken);
    }
    switch (failure.kind()) {
        case FailureKind::TimedOut:  // no Telnet server, or not one with the COM-PORT-OPTION
            return ownFailure(FailureKind::NotRfc2217);
        case FailureKind::Gone:
            return turnedAway;
        default:
            return failure;
    }
}

void NetLink::queue(const std::string& bytes) {
    out_ += bytes;
    queuedTotal_ += bytes.size();
    flush();
}

void NetLink::tell(const std::string& bytes) {
    if (out_.size() + bytes.size() > kOutputLimit) {
        fail();
    } else {
        queue(bytes);
    }
}

void NetLink::fail() {
    broken_ = down_ = true;
    shutdownSocket(fd_.get());  // the server sees the end; a watch wakes
}

void NetLink::flush() {
    while (!out_.empty() && !down_) {
        const ssize_t n = sendNow(fd_.get(), out_.data(), out_.size());
        const int error = n < 0 ? socketError() : 0;
        if (n > 0) {
            out_.erase(0, static_cast<std::size_t>(n));
            sentTotal_ += static_cast<std::uint64_t>(n);
        } else if (n < 0 && error == EINTR) {
            continue;
        } else if (n < 0 && (error == EAGAIN || error == EWOULDBLOCK)) {
            return;
        } else {
            down_ = true;  // EPIPE, ECONNRESET, ETIMEDOUT ...
        }
    }
}

void NetLink::pump() {
    bool took = false;
    char chunk[4096];
    for (std::size_t taken = 0; !down_ && taken < kPumpLimit;) {
        const ssize_t n = receiveNow(fd_.get(), chunk, sizeof chunk);
        const int error = n < 0 ? socketError() : 0;
        if (n < 0 && error == EINTR) {
            continue;
        }
        if (n < 0 && (error == EAGAIN || error == EWOULDBLOCK)) {
            break;
        }
        took = true;
        if (n <= 0) {
            down_ = true;  // closed by the server, or broken
            break;
        }
        taken += static_cast<std::size_t>(n);
        const std::size_t before = in_.size();
        const std::string_view bytes(chunk, static_cast<std::size_t>(n));
        if (telnet_) {
            std::string replies;
            client_.receive(bytes, in_, replies);
            if (client_.keepsNegotiating()) {
                fail();
            } else if (!replies.empty()) {
                tell(replies);
            }
        } else {
            in_.append(bytes);
        }
        if (in_.size() > kInputLimit) {
            in_.resize(std::max(before, kInputLimit));
            overrun_ = true;
            raised_ |= kEvErr;
        }
        arrivals_ += in_.size() > before ? 1 : 0;
    }
    if (took) {
        signalWakeup(progress_.get());
    }
}

PortFailure NetLink::waitUntil(Lock& lock, Clock::time_point deadline,
                               const std::function<bool()>& done) {
    for (;;) {
        pump();
        if (done()) {
            return {};
        }
        if (down_) {
            return ownFailure(FailureKind::Gone);
        }
        const int left = millisecondsLeft(deadline);
        if (left == 0) {
            return ownFailure(FailureKind::TimedOut);
        }
        // Another thread's pump may take what we wait for off the socket first:
        // its progress wakes us as well.
        pollfd fds[2] = {pollFor(fd_.get(), POLLIN), pollFor(progress_.get(), POLLIN)};
        lock.unlock();
        const int ready = pollSockets(fds, 2, left);
        const int error = ready < 0 ? socketError() : 0;
        if (ready > 0 && (fds[1].revents & POLLIN)) {
            drainWakeup(progress_.get());
        }
        lock.lock();
        if (ready < 0 && error != EINTR) {
            return systemFailure(error);
        }
    }
}

PortFailure NetLink::read(char* buffer, int capacity, int& received) {
    received = 0;
    const Lock lock(mutex_);
    pump();
    if (in_.empty()) {
        return down_ ? ownFailure(FailureKind::Gone) : PortFailure();
    }
    const std::size_t n = std::min(in_.size(), static_cast<std::size_t>(std::max(capacity, 0)));
    in_.copy(buffer, n);
    in_.erase(0, n);
    received = static_cast<int>(n);
    return {};
}

PortFailure NetLink::write(const char* data, int size, Clock::time_point deadline, int& sent) {
    sent = 0;
    Lock lock(mutex_);
    pump();  // a server that has gone is noticed before the bytes go nowhere
    if (down_) {
        return ownFailure(FailureKind::Gone);
    }
    const std::string_view bytes(data, static_cast<std::size_t>(size));
    const std::string encoded = telnet_ ? telnet::escape(bytes) : std::string(bytes);
    const std::uint64_t start = queuedTotal_;
    queue(encoded);
    const std::uint64_t end = start + encoded.size();
    while (sentTotal_ < end && !down_) {
        const int left = millisecondsLeft(deadline);
        if (left == 0) {
            break;
        }
        pollfd p = pollFor(fd_.get(), POLLOUT);
        lock.unlock();
        const int ready = pollSockets(&p, 1, left);
        const int error = ready < 0 ? socketError() : 0;
        lock.lock();
        if (ready < 0 && error != EINTR) {
            return systemFailure(error);
        }
        flush();
    }
    if (sentTotal_ >= end) {
        sent = size;
    } else if (down_) {
        return ownFailure(FailureKind::Gone);
    } else {
        // The time is up: keep what has left and the rest of a byte begun, take
        // back the others. Answers queued after them stay.
        std::uint64_t cut = start;
        for (char c : bytes) {
            if (cut >= sentTotal_) {
                break;
            }
            cut += (telnet_ && static_cast<unsigned char>(c) == telnet::kIac) ? 2 : 1;
            ++sent;
        }
        out_.erase(static_cast<std::size_t>(cut - sentTotal_), static_cast<std::size_t>(end - cut));
        queuedTotal_ -= end - cut;
    }
    raised_ |= kEvTxEmpty;
    signalWakeup(wake_.get());
    return {};
}

PortFailure NetLink::purgeInput() {
    const Lock lock(mutex_);
    pump();
    if (down_) {
        return ownFailure(FailureKind::Gone);
    }
    in_.clear();
    if (telnet_) {
        tell(Rfc2217Client::purge(Rfc2217Client::kPurgeReceive));
    }
    // A server that reads nothing is left here.
    return down_ ? ownFailure(FailureKind::Gone) : PortFailure();
}

PortFailure NetLink::applySettings(const LineParameters& line, Clock::time_point deadline) {
    Lock lock(mutex_);
    pump();
    if (down_) {
        return ownFailure(FailureKind::Gone);
    }
    client_.resetReplies();
    // The rate asked for last: in order, its answer comes after the others, so a
    // setting not answered by then was refused without a word (ser2net does so
    // with what a pseudo-terminal cannot do). Control lines need no answer: a
    // port without modem lines gives none.
    tell(Rfc2217Client::settingsCommands(line) + Rfc2217Client::baudRateQuery());
    using C = Rfc2217Client;
    // Gone, or TimedOut: a server that did not answer in time refused nothing.
    if (const PortFailure failure =
            waitUntil(lock, deadline, [this] { return client_.replies(C::kSetBaudRate) >= 2; })) {
        return failure;
    }
    const bool taken = client_.replies(C::kSetBaudRate) > 0 &&
                       speedTaken(client_.lastReply(C::kSetBaudRate), line.baudRate) &&
                       client_.replies(C::kSetDataSize) > 0 &&
                       client_.lastReply(C::kSetDataSize) == C::dataSizeValue(line) &&
                       client_.replies(C::kSetParity) > 0 &&
                       client_.lastReply(C::kSetParity) == C::parityValue(line) &&
                       client_.replies(C::kSetStopSize) > 0 &&
                       client_.lastReply(C::kSetStopSize) == C::stopSizeValue(line);
    return taken ? PortFailure() : ownFailure(FailureKind::Unsupported);
}

PortFailure NetLink::modemLines(TComSignals& lines) {
    lines = {};
    const Lock lock(mutex_);
    pump();
    if (down_) {
        return ownFailure(FailureKind::Gone);
    }
    lines = client_.modemLines();
    return {};
}

PortFailure NetLink::lineErrors(bool parityCheck, TComErrors& errors) {
    errors = {};
    const Lock lock(mutex_);
    pump();
    if (down_) {
        return ownFailure(FailureKind::Gone);
    }
    errors = client_.takeLineErrors(parityCheck);
    if (overrun_) {
        errors.include(ceRxOver);
        overrun_ = false;
    }
    return {};
}

int NetLink::duplicateSocket() const {
    const Lock lock(mutex_);
    return fd_.valid() ? stela::duplicateSocket(fd_.get()) : -1;
}

void NetLink::wake() {
    signalWakeup(wake_.get());
}

void NetLink::resetEvents() {
    const Lock lock(mutex_);
    client_.takeEventKinds();
    raised_ = 0;
    arrivalsReported_ = arrivals_;
}

bool NetLink::collect(std::uint32_t& kinds) {
    const Lock lock(mutex_);
    pump();
    kinds = client_.takeEventKinds() | raised_;
    raised_ = 0;
    if (arrivals_ != arrivalsReported_) {
        kinds |= kEvRxChar;
        arrivalsReported_ = arrivals_;
    }
    if (down_ && kinds != 0) {
        signalWakeup(wake_.get());  // the next wait finds the link down at once
    }
    return !down_ || kinds != 0;
}

}  // namespace stela
