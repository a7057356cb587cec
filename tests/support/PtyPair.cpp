#include "tests/support/PtyPair.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace stela::test {
namespace {

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error("PtyPair: " + what + " failed (errno " + std::to_string(errno) + ")");
}

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? int(left.count()) : 0;
}

}  // namespace

void PtyPair::send(std::string_view bytes) {
    const int target = slaveQueued() + int(bytes.size());
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(masterFd(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EAGAIN) {
            pollfd p{masterFd(), POLLOUT, 0};
            ::poll(&p, 1, 100);  // the slave's input is full until someone reads it
        } else if (n < 0 && errno != EINTR) {
            fail("write to master");
        }
        done += n > 0 ? std::size_t(n) : 0;
    }
    // The tty layer hands bytes to the slave from a work queue: wait for them.
    const auto deadline = Clock::now() + std::chrono::seconds(2);
    while (slaveQueued() < target && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

int PtyPair::slaveQueued() const {
    int count = 0;
    return ::ioctl(slaveFd(), FIONREAD, &count) == 0 ? count : -1;
}

std::string PtyPair::receive(std::size_t count, int timeoutMs) {
    std::string bytes;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (bytes.size() < count) {
        pollfd p{masterFd(), POLLIN, 0};
        if (::poll(&p, 1, msLeft(deadline)) <= 0) {
            break;
        }
        char buffer[4096];
        const ssize_t n = ::read(masterFd(), buffer, std::min(sizeof buffer, count - bytes.size()));
        if (n <= 0) {
            break;
        }
        bytes.append(buffer, std::size_t(n));
    }
    return bytes;
}

}  // namespace stela::test
