#pragma once

#include <cstdint>

#include "os/FileDescriptor.h"
#include "posix/UucpLock.h"
#include "serial/ComDevice.h"

namespace stela {

// A serial device on Linux through termios (the termios2 interface, so that speeds
// without a B-constant, such as 14400 or 256000, work too). An open device is held
// by its flock and by the UUCP lock file that minicom and cu look for (UucpLock);
// either one held by another program makes open() fail with EBUSY (InUse), and
// so does another program that merely has the device open (heldOpen). Failures
// carry errno values, classified by systemFailure.
//
// What Linux cannot do is refused by setLineParameters with EINVAL (Unsupported): 1.5 stop bits,
// output DSR flow, DSR sensitivity, DTR handshake, RTS toggle, CTS output flow
// without RTS handshake (and the reverse: Linux ties both to CRTSCTS), a parity
// replacement character other than 0x00, equal XON and XOFF characters in use, and
// a speed or framing the driver does not take (ftdi_sio does not take 6 data
// bits). Accepted without effect: the queue sizes, the
// XON/XOFF limits, TxContinueOnXoff (Linux always keeps sending after its own
// XOFF), the read timeouts (reads never wait), NUL discarding and the event
// character (both handled above the device).
class PosixEventWatch;

class PosixComDevice final : public ComDevice {
public:
    PosixComDevice() = default;
    ~PosixComDevice() override;
    PosixComDevice(const PosixComDevice&) = delete;
    PosixComDevice& operator=(const PosixComDevice&) = delete;

    PortFailure open(const PortAddress& address) override;
    void close() override;
    // A device whose line hung up is still open (its operations fail with EIO)
    // until close(), although its descriptor is already let go.
    bool isOpen() const override { return fd_.valid() || hungUp_; }

    PortFailure setQueueSizes(int inputSize, int outputSize) override;
    PortFailure setLineParameters(const LineParameters& line) override;
    PortFailure setTimeouts(const TimeoutValues& timeouts) override;

    PortFailure purge(bool input, bool output) override;
    PortFailure abortTransfers() override;
    PortFailure read(char* buffer, int capacity, int& received) override;
    PortFailure write(const char* data, int size, int& sent) override;

    PortFailure modemLines(TComSignals& lines) override;
    PortFailure lineErrors(TComErrors& errors) override;
    // See PosixEventWatch for what a tty reports; a write reports evTxEmpty as
    // it returns.
    PortFailure watchEvents(std::uint32_t mask, std::unique_ptr<LineEventWatch>& watch) override;
    std::string lockFolderTrouble() const override { return lock_.folderTrouble(); }

    // The open file descriptor, -1 when closed (for waiting on line events).
    int fileDescriptor() const { return fd_.get(); }

private:
    struct ErrorCounts {
        std::uint32_t frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;
    };

    // 0 when operations may go to the descriptor: else EBADF (closed) or EIO
    // (hung up).
    int usable() const { return hungUp_ ? EIO : fd_.valid() ? 0 : EBADF; }
    // Passes an operation's errno on, classified; when the line has hung up,
    // lets the descriptor go first.
    PortFailure failed(int error);
    void release();
    std::int64_t wireMicros(std::int64_t bytes) const;
    std::int64_t writeBoundMicros(int size) const;
    int waitUntilHandedOver(std::int64_t deadline, int& pending);

    FileDescriptor fd_;
    int baudRate_ = 9600;
    int bitsPerByte_ = 10;
    bool parityCheck_ = false;
    bool pseudoTerminal_ = false;
    bool exclusive_ = false;  // we set the tty's exclusive flag, so we clear it
    bool hungUp_ = false;     // the line went away; the descriptor is let go
    TimeoutValues timeouts_;
    ErrorCounts counts_;
    PosixEventWatch* watch_ = nullptr;  // the watch alive on this device, if any
    UucpLock lock_;                     // the lock file other serial programs look for
};

}  // namespace stela
