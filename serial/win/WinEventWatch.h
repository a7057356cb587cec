#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "os/win/WinHandle.h"
#include "serial/ComDevice.h"

namespace stela {

// Line events of a Windows serial device: the kinds are selected on the
// handle (SetCommMask) and each wait is an overlapped WaitCommEvent, waited
// for together with the stop event, without a time limit. Windows reports a
// received byte once, as it arrives, so bytes left unread never wake a wait
// again. When the watch goes it selects no kinds again.
class WinEventWatch final : public LineEventWatch {
public:
    // Selects `mask` on `device`; the handle must outlive the watch.
    static PortFailure create(HANDLE device, std::uint32_t mask,
                              std::unique_ptr<LineEventWatch>& watch);
    ~WinEventWatch() override;

    // The kinds that happened (none after a wait whose result could not be
    // fetched); false once stopped. A device on which no wait starts, or whose
    // waits end twice running without an event, leaves the watch waiting for its
    // stop alone.
    bool wait(std::uint32_t& kinds) override;
    void stop() override;

private:
    enum class Outcome { Ended, Stopped, Unable };

    WinEventWatch(HANDLE device, KernelHandle stop, KernelHandle done);
    // One overlapped WaitCommEvent, waited for with the stop event.
    Outcome waitOnce(DWORD& happened);
    bool waitForStop();

    const HANDLE device_;
    const KernelHandle stop_;  // manual reset
    const KernelHandle done_;  // the wait's completion, manual reset
    bool endedEmpty_ = false;  // the last wait ended without an event
};

}  // namespace stela
