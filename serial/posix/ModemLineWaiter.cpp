#include "posix/ModemLineWaiter.h"

#include <linux/serial.h>
#include <pthread.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <chrono>
#include <csignal>

#include "os/TerminatingSignals.h"

namespace stela {
namespace {

// How often each modem line has changed, as the driver counts; all 0 where it
// cannot tell.
struct LineCounts {
    int cts = 0, dsr = 0, rng = 0, dcd = 0;

    static LineCounts of(const serial_icounter_struct& c) { return {c.cts, c.dsr, c.rng, c.dcd}; }
    bool moved(const LineCounts& was, int lines) const {
        return ((lines & TIOCM_CTS) && cts != was.cts) || ((lines & TIOCM_DSR) && dsr != was.dsr) ||
               ((lines & TIOCM_RNG) && rng != was.rng) || ((lines & TIOCM_CD) && dcd != was.dcd);
    }
};

LineCounts countsOf(int fd) {
    serial_icounter_struct counts{};
    return ::ioctl(fd, TIOCGICOUNT, &counts) == 0 ? LineCounts::of(counts) : LineCounts{};
}

}  // namespace

ModemLineWaiter::ModemLineWaiter(int fd, int lines, std::function<void()> changed)
    : fd_(fd), lines_(lines), changed_(std::move(changed)) {
    catchThreadWakeSignal();
    thread_ = std::thread(&ModemLineWaiter::run, this);
}

ModemLineWaiter::~ModemLineWaiter() {
    std::unique_lock<std::mutex> lock(mutex_);
    stopping_ = true;
    while (!ended_) {
        pthread_kill(thread_.native_handle(), threadWakeSignal());
        endedChanged_.wait_for(lock, std::chrono::milliseconds(1));
    }
    lock.unlock();
    thread_.join();
}

void ModemLineWaiter::run() {
    pthread_setname_np(pthread_self(), "com-modem-lines");
    // The thread inherits its creator's signal mask, which may block ours.
    sigset_t wake;
    sigemptyset(&wake);
    sigaddset(&wake, threadWakeSignal());
    pthread_sigmask(SIG_UNBLOCK, &wake, nullptr);
    // TIOCMIWAIT waits for a change after it starts: a line that moves while
    // this thread is busy reporting the previous change would be missed. The
    // driver's counters tell, so each wait starts only when they are as last seen.
    LineCounts seen = countsOf(fd_);
    for (;;) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_) {
                break;
            }
        }
        const LineCounts now = countsOf(fd_);
        if (now.moved(seen, lines_)) {
            seen = now;
            changed_();
            continue;
        }
        if (::ioctl(fd_, TIOCMIWAIT, static_cast<unsigned long>(lines_)) != 0 && errno != EINTR) {
            break;
        }
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    ended_ = true;
    endedChanged_.notify_all();
}

}  // namespace stela
