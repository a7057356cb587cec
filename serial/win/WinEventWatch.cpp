#include "win/WinEventWatch.h"

namespace stela {

int WinEventWatch::create(HANDLE device, std::uint32_t mask,
                          std::unique_ptr<LineEventWatch>& watch) {
    const HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (stop == nullptr || done == nullptr) {
        const int error = static_cast<int>(GetLastError());
        for (HANDLE h : {stop, done}) {
            if (h != nullptr) {
                CloseHandle(h);
            }
        }
        return error;
    }
    watch.reset(new WinEventWatch(device, stop, done));
    // A device that takes no selection leaves the watch waiting for its stop.
    SetCommMask(device, mask);
    return 0;
}

WinEventWatch::WinEventWatch(HANDLE device, HANDLE stop, HANDLE done)
    : device_(device), stop_(stop), done_(done) {}

WinEventWatch::~WinEventWatch() {
    SetCommMask(device_, 0);
    CloseHandle(done_);
    CloseHandle(stop_);
}

void WinEventWatch::stop() {
    SetEvent(stop_);
}

int WinEventWatch::waitForStop() {
    WaitForSingleObject(stop_, INFINITE);
    return ERROR_OPERATION_ABORTED;
}

int WinEventWatch::wait(std::uint32_t& kinds) {
    kinds = 0;
    DWORD happened = 0;
    switch (waitOnce(happened)) {
        case Outcome::Stopped:
            return ERROR_OPERATION_ABORTED;
        case Outcome::Unable:
            return waitForStop();
        case Outcome::Ended:
            break;
    }
    if (happened != 0) {
        endedEmpty_ = false;
        kinds = happened;
        return 0;
    }
    // Windows ends a wait without an event only when the selection changes or
    // the result cannot be fetched. A device that does so twice running cannot
    // report events (Wine gives up every wait on a device without modem lines
    // at once): waiting again would spin.
    if (endedEmpty_) {
        return waitForStop();
    }
    endedEmpty_ = true;
    return 0;
}

WinEventWatch::Outcome WinEventWatch::waitOnce(DWORD& happened) {
    if (WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0) {
        return Outcome::Stopped;
    }
    OVERLAPPED overlapped{};
    overlapped.hEvent = done_;
    ResetEvent(done_);
    if (WaitCommEvent(device_, &happened, &overlapped)) {
        return Outcome::Ended;
    }
    if (GetLastError() != ERROR_IO_PENDING) {
        return Outcome::Unable;
    }
    const HANDLE both[] = {stop_, done_};
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
