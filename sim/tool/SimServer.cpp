#include "sim/tool/SimServer.h"

#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <string>

namespace stela {

namespace {

class Elapsed {
public:
    SimTime operator()() const {
        return std::chrono::duration_cast<SimTime>(std::chrono::steady_clock::now() - start_);
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// Writes what the line carries now. A console that does not read lets the
// pseudo-terminal fill up; then, as on a real line, the bytes are lost.
void transmit(int masterFd, const std::vector<TimedByte>& due, PylonDisplay& display, SimTime now) {
    std::string bytes;
    for (const TimedByte& b : due) {
        bytes += b.byte;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(masterFd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            display.note(std::to_string(bytes.size() - done) +
                             " reply bytes lost: the port's input buffer is full",
                         now);
            return;
        }
    }
}

}  // namespace

int serveSign(SignModel& sign, int masterFd, int signalFd, PylonDisplay& display) {
    const Elapsed elapsed;
    char buf[4096];
    while (true) {
        const SimTime now = elapsed();
        const std::vector<TimedByte> due = sign.takeReplyBytes(now);
        if (!due.empty()) {
            transmit(masterFd, due, display, now);
        }

        timespec timeout{};
        const timespec* wait = nullptr;  // nothing scheduled: sleep until a byte or a signal
        if (const auto next = sign.nextEventTime()) {
            const std::int64_t ns = std::max<std::int64_t>(0, (*next - elapsed()).count());
            timeout.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
            timeout.tv_nsec = static_cast<long>(ns % 1'000'000'000);
            wait = &timeout;
        }
        pollfd fds[2] = {{masterFd, POLLIN, 0}, {signalFd, POLLIN, 0}};
        if (ppoll(fds, 2, wait, nullptr) < 0) {
            if (errno == EINTR) {
                continue;
            }
            display.note(std::string("poll failed: ") + std::strerror(errno), elapsed());
            return 1;
        }
        if (fds[1].revents & POLLIN) {
            signalfd_siginfo info{};
            if (read(signalFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
                if (info.ssi_signo == SIGWINCH) {
                    display.redraw();
                } else {
                    return 0;
                }
            }
        }
        if (fds[0].revents & POLLIN) {
            const ssize_t n = read(masterFd, buf, sizeof buf);
            if (n > 0) {
                sign.receive(std::string_view(buf, static_cast<std::size_t>(n)), elapsed());
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                display.note(std::string("pseudo-terminal read failed: ") + std::strerror(errno),
                             elapsed());
                return 1;
            }
        } else if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            // Cannot happen while our own slave descriptor is open; stop rather than spin.
            display.note("pseudo-terminal hung up", elapsed());
            return 1;
        }
    }
}

}  // namespace stela
