#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace stela {

// A thread asleep in TIOCMIWAIT on a tty until one of `lines` (TIOCM_CTS,
// TIOCM_DSR, TIOCM_RNG, TIOCM_CD) changes, calling `changed` each time. It
// spends nothing while the lines stay still. A driver that cannot wait so (a
// pseudo-terminal) ends the thread at once, as does a hang-up.
//
// Nothing but a signal ends that ioctl, so the destructor sends the thread one
// (os/TerminatingSignals.h: threadWakeSignal), again every millisecond until the
// thread has seen it: a signal that lands just before the ioctl starts is lost.
class ModemLineWaiter {
public:
    ModemLineWaiter(int fd, int lines, std::function<void()> changed);
    ~ModemLineWaiter();
    ModemLineWaiter(const ModemLineWaiter&) = delete;
    ModemLineWaiter& operator=(const ModemLineWaiter&) = delete;

private:
    void run();

    const int fd_;
    const int lines_;
    const std::function<void()> changed_;
    std::mutex mutex_;
    std::condition_variable endedChanged_;
    bool stopping_ = false;
    bool ended_ = false;
    std::thread thread_;
};

}  // namespace stela
