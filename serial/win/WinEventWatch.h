#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

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
    static int create(HANDLE device, std::uint32_t mask, std::unique_ptr<LineEventWatch>& watch);
    ~WinEventWatch() override;

    // 0 with the kinds that happened (0 after a wait whose result could not be
    // fetched); ERROR_OPERATION_ABORTED once stopped, also when no wait could
    // be started (the watch then waits for its stop alone); the fetch's error
    // when it fails twice running (the device has gone: no busy loop).
    int wait(std::uint32_t& kinds) override;
    void stop() override;

private:
    WinEventWatch(HANDLE device, HANDLE stop, HANDLE done);
    int waitForStop();

    const HANDLE device_;
    const HANDLE stop_;  // manual reset
    const HANDLE done_;  // the wait's completion, manual reset
    bool failedBefore_ = false;
};

}  // namespace stela
