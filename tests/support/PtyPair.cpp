#include "tests/support/PtyPair.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
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

PtyPair::PtyPair() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        fail("posix_openpt");
    }
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0) {
        fail("ptsname_r");
    }
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios t{};
    if (slave_ < 0 || tcgetattr(slave_, &t) != 0) {
        fail("opening the slave");
    }
    cfmakeraw(&t);
    if (tcsetattr(slave_, TCSANOW, &t) != 0) {
        fail("tcsetattr");
    }
}

PtyPair::~PtyPair() {
    closeMaster();
    if (slave_ >= 0) {
        ::close(slave_);
    }
}

void PtyPair::send(std::string_view bytes) {
    const int target = slaveQueued() + int(bytes.size());
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno != EINTR) {
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
    return ::ioctl(slave_, FIONREAD, &count) == 0 ? count : -1;
}

std::string PtyPair::receive(std::size_t count, int timeoutMs) {
    std::string bytes;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (bytes.size() < count) {
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, msLeft(deadline)) <= 0) {
            break;
        }
        char buffer[4096];
        const ssize_t n = ::read(master_, buffer, std::min(sizeof buffer, count - bytes.size()));
        if (n <= 0) {
            break;
        }
        bytes.append(buffer, std::size_t(n));
    }
    return bytes;
}

void PtyPair::closeMaster() {
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

}  // namespace stela::test
