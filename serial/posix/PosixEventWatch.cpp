#include "posix/PosixEventWatch.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>

#include "posix/ModemLineWaiter.h"
#include "posix/PosixIoctl.h"
#include "serial/EventMask.h"

namespace stela {
namespace {

constexpr std::uint32_t kModemKinds = kEvCts | kEvDsr | kEvRing | kEvRlsd;
constexpr std::uint32_t kCountedKinds = kModemKinds | kEvBreak | kEvErr;

int modemLinesOf(std::uint32_t mask) {
    return (mask & kEvCts ? TIOCM_CTS : 0) | (mask & kEvDsr ? TIOCM_DSR : 0) |
           (mask & kEvRing ? TIOCM_RNG : 0) | (mask & kEvRlsd ? TIOCM_CD : 0);
}

}  // namespace

int PosixEventWatch::create(int fd, std::uint32_t mask, PosixEventWatch*& registration,
                            std::unique_ptr<LineEventWatch>& watch) {
    std::unique_ptr<PosixEventWatch> made(new PosixEventWatch(mask, registration));
    if (int error = made->start(fd)) {
        return error;
    }
    registration = made.get();
    watch = std::move(made);
    return 0;
}

PosixEventWatch::PosixEventWatch(std::uint32_t mask, PosixEventWatch*& registration)
    : mask_(mask), registration_(registration) {}

int PosixEventWatch::start(int fd) {
    // A descriptor of our own: the waits never touch one the device may close.
    fd_.reset(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    epoll_.reset(::epoll_create1(EPOLL_CLOEXEC));
    wake_.reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!fd_.valid() || !epoll_.valid() || !wake_.valid()) {
        return errno;
    }
    epoll_event wakeEvent{};
    wakeEvent.events = EPOLLIN;
    wakeEvent.data.fd = wake_.get();
    // Bytes wake the wait even when they are not watched: errors and breaks
    // come with one.
    epoll_event lineEvent{};
    lineEvent.events = EPOLLIN | EPOLLET;
    lineEvent.data.fd = fd_.get();
    if (::epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, wake_.get(), &wakeEvent) != 0 ||
        ::epoll_ctl(epoll_.get(), EPOLL_CTL_ADD, fd_.get(), &lineEvent) != 0) {
        return errno;
    }
    counters_ = (mask_ & kCountedKinds) && readCounts(counts_);
    if (counters_ && (mask_ & kModemKinds)) {
        modemLines_ =
            std::make_unique<ModemLineWaiter>(fd_.get(), modemLinesOf(mask_), [this] { wake(); });
    }
    return 0;
}

PosixEventWatch::~PosixEventWatch() {
    modemLines_.reset();  // it wakes through wake_
    if (registration_ == this) {
        registration_ = nullptr;
    }
}

void PosixEventWatch::wake() {
    const std::uint64_t one = 1;
    // Only a full counter refuses, and a full one wakes the wait just as well.
    (void)!::write(wake_.get(), &one, sizeof one);
}

void PosixEventWatch::stop() {
    stopped_ = true;
    wake();
}

void PosixEventWatch::raise(std::uint32_t kinds) {
    if (kinds & mask_) {
        raised_ |= kinds & mask_;
        wake();
    }
}

bool PosixEventWatch::wait(std::uint32_t& kinds) {
    kinds = 0;
    epoll_event ready[2];
    int count;
    do {
        if (stopped_) {
            return false;
        }
        count = ::epoll_wait(epoll_.get(), ready, 2, -1);
    } while (count < 0 && errno == EINTR);
    if (count < 0) {
        return false;
    }
    if (stopped_) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        if (ready[i].data.fd == wake_.get()) {
            std::uint64_t wakeUps;
            (void)!::read(wake_.get(), &wakeUps, sizeof wakeUps);  // empties it
        } else if (ready[i].events & (EPOLLHUP | EPOLLERR)) {
            // The adapter went away, or the far end of a pseudo-terminal: the
            // device node is let go at once (see PosixComDevice::release).
            modemLines_.reset();
            fd_.reset();
            return false;
        } else if (ready[i].events & EPOLLIN) {
            kinds |= kEvRxChar;
        }
    }
    kinds |= raised_.exchange(0);
    kinds |= counterChanges();
    kinds &= mask_;
    return true;
}

bool PosixEventWatch::readCounts(Counts& counts) const {
    serial_icounter_struct now{};
    if (control(fd_.get(), TIOCGICOUNT, &now) != 0) {
        return false;
    }
    counts = {std::uint32_t(now.cts),    std::uint32_t(now.dsr),   std::uint32_t(now.rng),
              std::uint32_t(now.dcd),    std::uint32_t(now.frame), std::uint32_t(now.overrun),
              std::uint32_t(now.parity), std::uint32_t(now.brk),   std::uint32_t(now.buf_overrun)};
    return true;
}

// Errors and breaks arrive with a byte (0x00 for a break), so the wake-up for
// that byte finds them; modem lines wake it through the waiter.
std::uint32_t PosixEventWatch::counterChanges() {
    Counts now;
    if (!counters_ || !readCounts(now)) {
        return 0;
    }
    const Counts& was = counts_;
    std::uint32_t kinds = 0;
    kinds |= now.cts != was.cts ? kEvCts : 0;
    kinds |= now.dsr != was.dsr ? kEvDsr : 0;
    kinds |= now.rng != was.rng ? kEvRing : 0;
    kinds |= now.dcd != was.dcd ? kEvRlsd : 0;
    kinds |= now.brk != was.brk ? kEvBreak : 0;
    if (now.frame != was.frame || now.overrun != was.overrun || now.parity != was.parity ||
        now.bufOverrun != was.bufOverrun) {
        kinds |= kEvErr;
    }
    counts_ = now;
    return kinds;
}

}  // namespace stela
