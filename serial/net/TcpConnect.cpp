#include "net/TcpConnect.h"

#include <cerrno>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace stela {
namespace {

using Clock = std::chrono::steady_clock;

// Idle seconds before the first keep-alive probe, seconds between probes, and
// how long sent bytes may stay unacknowledged: a dead server is noticed in
// about ten seconds, idle or not.
constexpr int kKeepIdleSeconds = 5;
constexpr int kKeepIntervalSeconds = 2;
constexpr int kKeepProbes = 3;
constexpr unsigned kUserTimeoutMs = 10000;

int millisecondsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// The resolver's answer, shared with the thread that waits for it, so that a
// caller that gave up leaves the thread to finish and clean up alone.
struct Lookup {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    int code = 0;
    int systemError = 0;  // errno, for a resolver that failed in a system call
    addrinfo* result = nullptr;
    ~Lookup() {
        if (result != nullptr) {
            freeaddrinfo(result);
        }
    }
};

}  // namespace

PortFailure resolveServer(const PortUrl& url, Clock::time_point deadline, AddressList& addresses) {
    if (const int error = socketsReady()) {
        return systemFailure(error);
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    // No AI_ADDRCONFIG: on a machine with loopback alone it would find nothing
    // for "localhost". An address of a family the machine cannot reach fails its
    // connect at once, and the next is tried.
    hints.ai_flags = AI_NUMERICSERV;
    const std::string service = std::to_string(url.port);

    // Literal addresses need no resolver.
    in6_addr probe{};
    if (inet_pton(AF_INET, url.host.c_str(), &probe) == 1 ||
        url.host.find(':') != std::string::npos) {
        hints.ai_flags = AI_NUMERICSERV | AI_NUMERICHOST;
        addrinfo* result = nullptr;
        const int code = getaddrinfo(url.host.c_str(), service.c_str(), &hints, &result);
        addresses.reset(result);
        if (code != 0 && url.host.find('%') != std::string::npos) {
            // The address was checked as the port was named: its zone is wrong.
            return ownFailure(FailureKind::BadZone);
        }
        return code == 0 ? PortFailure() : resolverFailure(code, errno);
    }
    // The resolver would read an IPv4 shorthand as an address, whatever the flags.
    if (isIpv4Shorthand(url.host)) {
        return ownFailure(FailureKind::BadAddress);
    }

    auto lookup = std::make_shared<Lookup>();
    try {
        std::thread([lookup, host = url.host, service, hints] {
            addrinfo* result = nullptr;
            const int code = getaddrinfo(host.c_str(), service.c_str(), &hints, &result);
            const std::lock_guard<std::mutex> lock(lookup->mutex);
            lookup->code = code;
            lookup->systemError = errno;
            lookup->result = result;
            lookup->finished = true;
            lookup->done.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return ownFailure(FailureKind::NameServerSilent);
    }
    std::unique_lock<std::mutex> lock(lookup->mutex);
    if (!lookup->done.wait_until(lock, deadline, [&] { return lookup->finished; })) {
        return ownFailure(FailureKind::NameServerSilent);
    }
    if (lookup->code != 0) {
        return resolverFailure(lookup->code, lookup->systemError);
    }
    addresses.reset(lookup->result);
    lookup->result = nullptr;
    return {};
}

namespace {

void setOption(int fd, int level, int name, int value) {
    setsockopt(fd, level, name, reinterpret_cast<const char*>(&value), sizeof value);
}

void tune(int fd) {
    setOption(fd, IPPROTO_TCP, TCP_NODELAY, 1);
    setOption(fd, SOL_SOCKET, SO_KEEPALIVE, 1);
    setOption(fd, IPPROTO_TCP, TCP_KEEPIDLE, kKeepIdleSeconds);
    setOption(fd, IPPROTO_TCP, TCP_KEEPINTVL, kKeepIntervalSeconds);
    setOption(fd, IPPROTO_TCP, TCP_KEEPCNT, kKeepProbes);
    setUserTimeout(fd, kUserTimeoutMs);
}

// One address: the connected socket, or the failure it met.
PortFailure connectTo(const addrinfo& address, Clock::time_point deadline, int& fd) {
    Socket owner(openSocket(address.ai_family, address.ai_socktype, address.ai_protocol));
    const int s = owner.get();
    if (s < 0) {
        return systemFailure(socketError());
    }
    tune(s);
    int error = 0;
    if (::connect(s, address.ai_addr, address.ai_addrlen) != 0) {
        error = socketError();
    }
    while (error == kConnectPending || error == EINTR) {
        pollfd p = pollFor(s, POLLOUT);
        const int ready = pollSockets(&p, 1, millisecondsLeft(deadline));
        if (ready < 0) {
            error = socketError();
            error = error == EINTR ? kConnectPending : error;
            continue;
        }
        if (ready == 0) {
            return ownFailure(FailureKind::TimedOut);
        }
        socklen_t size = sizeof error;
        if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0) {
            error = socketError();
        }
    }
    if (error != 0) {
        return systemFailure(error);
    }
    fd = owner.release();
    return {};
}

}  // namespace

PortFailure connectTcp(const addrinfo* addresses, Clock::time_point deadline, int& fd) {
    fd = -1;
    PortFailure failure = ownFailure(FailureKind::HostNotFound);  // no address at all
    for (const addrinfo* a = addresses; a != nullptr; a = a->ai_next) {
        if (Clock::now() >= deadline) {
            return ownFailure(FailureKind::TimedOut);
        }
        failure = connectTo(*a, deadline, fd);
        if (!failure || failure.kind() == FailureKind::TimedOut) {
            break;
        }
    }
    return failure;
}

}  // namespace stela
