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
    if (WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0) {
        return ERROR_OPERATION_ABORTED;
    }
    DWORD happened = 0;
    OVERLAPPED overlapped{};
    overlapped.hEvent = done_;
    ResetEvent(done_);
    if (WaitCommEvent(device_, &happened, &overlapped)) {
        failedBefore_ = false;
        kinds = happened;
        return 0;
    }
    if (GetLastError() != ERROR_IO_PENDING) {
        return waitForStop();
    }
    const HANDLE both[] = {stop_, done_};
    const DWORD woken = WaitForMultipleObjects(2, both, FALSE, INFINITE);
    if (woken != WAIT_OBJECT_0 + 1) {
        // Stopped (or the wait failed): end the wait in progress before its
        // record goes. Selecting no kinds completes it; cancelling is for a
        // driver that does not.
        SetCommMask(device_, 0);
        CancelIoEx(device_, &overlapped);
        DWORD ignored = 0;
        GetOverlappedResult(device_, &overlapped, &ignored, TRUE);
        return ERROR_OPERATION_ABORTED;
    }
    DWORD ignored = 0;
    if (!GetOverlappedResult(device_, &overlapped, &ignored, FALSE)) {
        const int error = static_cast<int>(GetLastError());
        if (failedBefore_) {
            return error;
        }
        failedBefore_ = true;
        return 0;  // this batch is lost; the next wait tells
    }
    failedBefore_ = false;
    kinds = happened;
    return 0;
}

}  // namespace stela
