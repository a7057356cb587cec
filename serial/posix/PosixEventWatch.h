#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "os/FileDescriptor.h"
#include "serial/ComDevice.h"

namespace stela {

class ModemLineWaiter;

// Line events of a tty on Linux, waited for in one epoll set:
// - received bytes: the tty, edge-triggered, so that a wait ends when new bytes
//   arrive and never for bytes that stay unread;
// - modem lines and line errors: the driver's interrupt counters (TIOCGICOUNT),
//   compared at each wake-up with their values at the one before; a
//   ModemLineWaiter wakes the wait when a watched modem line changes. A tty
//   without counters (a pseudo-terminal) reports neither;
// - the output drained: raise()d by the device's write;
// - stop() and raise() through an eventfd.
// A line that hangs up ends the wait (false), and the watch lets go of its
// descriptor of the tty then.
// The event character and the input queue's 80 % mark are never reported:
// finding them would mean reading the bytes.
class PosixEventWatch final : public LineEventWatch {
public:
    // Watches the tty `fd` (through a descriptor of its own) for what it can
    // report of `mask`. `registration` points to the watch while it lives, so
    // that the device can raise kinds on it.
    static int create(int fd, std::uint32_t mask, PosixEventWatch*& registration,
                      std::unique_ptr<LineEventWatch>& watch);
    ~PosixEventWatch() override;

    bool wait(std::uint32_t& kinds) override;
    void stop() override;
    // Reports those of `kinds` that are watched, from any thread.
    void raise(std::uint32_t kinds);

private:
    struct Counts {
        std::uint32_t cts = 0, dsr = 0, rng = 0, dcd = 0;
        std::uint32_t frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;
    };

    PosixEventWatch(std::uint32_t mask, PosixEventWatch*& registration);
    int start(int fd);
    void wake();
    bool readCounts(Counts& counts) const;
    std::uint32_t counterChanges();

    const std::uint32_t mask_;
    PosixEventWatch*& registration_;
    // Closed in this order when the watch goes: the wake-up, the epoll, the line.
    FileDescriptor fd_;
    FileDescriptor epoll_;
    FileDescriptor wake_;
    bool counters_ = false;
    Counts counts_;
    std::atomic<bool> stopped_{false};
    std::atomic<std::uint32_t> raised_{0};
    std::unique_ptr<ModemLineWaiter> modemLines_;
};

}  // namespace stela
