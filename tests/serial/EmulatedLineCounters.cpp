#include "tests/serial/EmulatedLineCounters.h"

#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <mutex>

namespace stela::test {
namespace {

std::mutex mutex;
bool active = false;
dev_t tty = 0;
int changes = -1;  // eventfd: a counter moved
serial_icounter_struct counts{};
int waitsBegun = 0;

bool isEmulated(int fd) {
    struct stat st {};
    const std::lock_guard<std::mutex> lock(mutex);
    return active && ::fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && st.st_rdev == tty;
}

void counted(int serial_icounter_struct::*field) {
    {
        const std::lock_guard<std::mutex> lock(mutex);
        ++(counts.*field);
    }
    const std::uint64_t one = 1;
    (void)!::write(changes, &one, sizeof one);
}

bool linesMoved(const serial_icounter_struct& was, unsigned long lines) {
    const std::lock_guard<std::mutex> lock(mutex);
    return ((lines & TIOCM_CTS) && counts.cts != was.cts) ||
           ((lines & TIOCM_DSR) && counts.dsr != was.dsr) ||
           ((lines & TIOCM_RNG) && counts.rng != was.rng) ||
           ((lines & TIOCM_CD) && counts.dcd != was.dcd);
}

int waitForLines(unsigned long lines) {
    serial_icounter_struct was;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        was = counts;
        ++waitsBegun;
    }
    for (;;) {
        pollfd p{changes, POLLIN, 0};
        if (::poll(&p, 1, -1) < 0) {
            return -1;  // EINTR when a signal came
        }
        std::uint64_t moved;
        (void)!::read(changes, &moved, sizeof moved);
        if (linesMoved(was, lines)) {
            return 0;
        }
    }
}

}  // namespace

EmulatedLineCounters::EmulatedLineCounters(int ttyFd) {
    struct stat st {};
    ::fstat(ttyFd, &st);
    const std::lock_guard<std::mutex> lock(mutex);
    tty = st.st_rdev;
    changes = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    counts = {};
    waitsBegun = 0;
    active = true;
}

EmulatedLineCounters::~EmulatedLineCounters() {
    const std::lock_guard<std::mutex> lock(mutex);
    active = false;
    ::close(changes);
}

void EmulatedLineCounters::changeLine(int line) {
    counted(line == TIOCM_CTS   ? &serial_icounter_struct::cts
            : line == TIOCM_DSR ? &serial_icounter_struct::dsr
            : line == TIOCM_RNG ? &serial_icounter_struct::rng
                                : &serial_icounter_struct::dcd);
}

void EmulatedLineCounters::countFramingError() {
    counted(&serial_icounter_struct::frame);
}

void EmulatedLineCounters::countBreak() {
    counted(&serial_icounter_struct::brk);
}

int EmulatedLineCounters::waits() const {
    const std::lock_guard<std::mutex> lock(mutex);
    return waitsBegun;
}

bool emulatedLineRequest(int fd, unsigned long request, void* arg, int& result) {
    if ((request != TIOCGICOUNT && request != TIOCMIWAIT) || !isEmulated(fd)) {
        return false;
    }
    if (request == TIOCMIWAIT) {
        result = waitForLines(reinterpret_cast<unsigned long>(arg));
    } else {
        const std::lock_guard<std::mutex> lock(mutex);
        *static_cast<serial_icounter_struct*>(arg) = counts;
        result = 0;
    }
    return true;
}

}  // namespace stela::test
