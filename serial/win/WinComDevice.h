#pragma once

#include <windows.h>

#include <cstdint>

#include "os/win/WinHandle.h"
#include "serial/ComDevice.h"

namespace stela {

// A serial device on Windows through the Win32 communications functions, on a
// handle opened in overlapped mode. Failures carry the system's error codes
// (GetLastError), classified by systemFailure.
//
// What Windows serves itself: the queue sizes (SetupComm), every line parameter
// of the record (SetCommState; a driver refuses what its UART cannot do), the
// five timeouts (SetCommTimeouts), line events (WaitCommEvent) and the pending
// line errors (ClearCommError). NUL discarding stays with the port above, so the
// record asks the driver for none.
//
// Reads never wait whatever the timeouts say: a read asks for no more than the
// driver has queued. The line-error flags that asking clears are kept for the
// next lineErrors(). A write waits for its completion, which Windows gives when
// the driver has handed every byte to the UART, bounded by the write timeout;
// the wait itself is bounded as well (the timeout and a second more, or the wire
// time and a second without one), after which the write is aborted and counts
// what had left. A transfer aborted by anything else (a driver that lost its
// device) fails.
class WinComDevice final : public ComDevice {
public:
    WinComDevice() = default;
    ~WinComDevice() override;
    WinComDevice(const WinComDevice&) = delete;
    WinComDevice& operator=(const WinComDevice&) = delete;

    // Opens "\\.\COMn" (the address's device) for reading and writing, without
    // sharing: ERROR_ACCESS_DENIED (InUse) when another program has the port.
    PortFailure open(const PortAddress& address) override;
    void close() override;
    bool isOpen() const override { return handle_.valid(); }

    PortFailure setQueueSizes(int inputSize, int outputSize) override;
    PortFailure setLineParameters(const LineParameters& line) override;
    PortFailure setTimeouts(const TimeoutValues& timeouts) override;

    PortFailure purge(bool input, bool output) override;
    PortFailure abortTransfers() override;
    PortFailure read(char* buffer, int capacity, int& received) override;
    PortFailure write(const char* data, int size, int& sent) override;

    // A driver without modem lines (ERROR_INVALID_FUNCTION, ERROR_NOT_SUPPORTED)
    // reports all four off.
    PortFailure modemLines(TComSignals& lines) override;
    PortFailure lineErrors(TComErrors& errors) override;
    PortFailure watchEvents(std::uint32_t mask, std::unique_ptr<LineEventWatch>& watch) override;

private:
    // ClearCommError: the bytes queued for input; the error flags it clears are
    // kept in pendingErrors_.
    PortFailure status(DWORD& queued);
    // Runs one overlapped ReadFile or WriteFile to its end, waiting at most
    // `limitMs` before aborting it; `done` counts the bytes moved.
    PortFailure transfer(bool writing, char* data, DWORD size, DWORD limitMs, DWORD& done);
    DWORD writeLimitMs(int size) const;

    FileHandle handle_;
    TimeoutValues timeouts_;
    int baudRate_ = 9600;
    bool parityCheck_ = false;
    DWORD pendingErrors_ = 0;  // CE_ flags cleared by a status query, not yet reported
};

}  // namespace stela
