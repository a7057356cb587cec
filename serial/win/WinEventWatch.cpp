#include "win/WinEventWatch.h"

namespace stela {

PortFailure WinEventWatch::create(HANDLE device, std::uint32_t mask,
                                  std::unique_ptr<LineEventWatch>& watch) {
    KernelHandle stop(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!stop.valid()) {
        return systemFailure(static_cast<int>(GetLastError()));
    }
    KernelHandle done(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!done.valid()) {
        return systemFailure(static_cast<int>(GetLastError()));
    }
    watch.reset(new WinEventWatch(device, std::move(stop), std::move(done)));
    // A device that takes no selection leaves the watch waiting for its stop.
    SetCommMask(device, mask);
    return {};
}

WinEventWatch::WinEventWatch(HANDLE device, KernelHandle stop, KernelHandle done)
    : device_(device), stop_(std::move(stop)), done_(std::move(done)) {}

WinEventWatch::~WinEventWatch() {
    SetCommMask(device_, 0);
}

void WinEventWatch::stop() {
    SetEvent(stop_.get());
}

bool WinEventWatch::waitForStop() {
    WaitForSingleObject(stop_.get(), INFINITE);
    return false;
}

bool WinEventWatch::wait(std::uint32_t& kinds) {
    kinds = 0;
    DWORD happened = 0;
    switch (waitOnce(happened)) {
        case Outcome::Stopped:
            return false;
        case Outcome::Unable:
            return waitForStop();
        case Outcome::Ended:
            break;
    }
    if (happened != 0) {
        endedEmpty_ = false;
        kinds = happened;
        return true;
    }
    // Windows ends a wait without an event only when the selection changes or
    // the result cannot be fetched. A device that does so twice running cannot
    // report events (Wine gives up every wait on a device without modem lines
    // at once): waiting again would spin.
    if (endedEmpty_) {
        return waitForStop();
    }
    endedEmpty_ = true;
    return true;
}

WinEventWatch::Outcome WinEventWatch::waitOnce(DWORD& happened) {
    if (WaitForSingleObject(stop_.get(), 0) == WAIT_OBJECT_0) {
        return Outcome::Stopped;
    }
    OVERLAPPED overlapped{};
    overlapped.hEvent = done_.get();
    ResetEvent(done_.get());
    if (WaitCommEvent(device_, &happened, &overlapped)) {
        return Outcome::Ended;
    }
    if (GetLastError() != ERROR_IO_PENDING) {
        return Outcome::Unable;
    }
    const HANDLE both[] = {stop_.get(), done_.get()};
    DWORD ignored = 0;
    if (WaitForMultipleObjects(2, both, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
        // Stopped (or the wait failed): end the wait in progress before its
        // record goes. Selecting no kinds completes it; cancelling is for a
        // driver that does not.
        SetCommMask(device_, 0);
        CancelIoEx(device_, &overlapped);
        GetOverlappedResult(device_, &overlapped, &ignored, TRUE);
        return Outcome::Stopped;
    }
    if (!GetOverlappedResult(device_, &overlapped, &ignored, FALSE)) {
        happened = 0;  // this batch is lost
    }
    return Outcome::Ended;
}

}  // namespace stela
