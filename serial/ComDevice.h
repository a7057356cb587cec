#pragma once

#include <cerrno>
#include <cstdint>
#include <memory>
#include <string>

#include "serial/ComTypes.h"
#include "serial/PortAddress.h"

namespace stela {

// The line-parameter record the port hands to its device in one piece.
struct LineParameters {
    int baudRate = 9600;  // bits per second
    int dataBits = 8;     // 5..8
    TParityBits parity = prNone;
    TStopBits stopBits = sbOneStopBit;
    bool parityCheck = false;   // check the parity of received bytes
    bool errorReplace = false;  // replace bytes received with a parity error ...
    char errorChar = 0;         // ... by this character
    bool outCtsFlow = false;    // output waits while CTS is off
    bool outDsrFlow = false;    // output waits while DSR is off
    TDTRFlowControl dtrControl = dtrDisable;
    TRTSFlowControl rtsControl = rtsDisable;
    bool dsrSensitivity = false;  // received bytes ignored while DSR is off
    bool txContinueOnXoff = false;
    bool xonXoffOut = false;  // output obeys received XOFF/XON
    bool xonXoffIn = false;   // the device sends XOFF/XON as its input queue fills/empties
    char xonChar = 0x11;
    char xoffChar = 0x13;
    int xonLimit = 256;
    int xoffLimit = 256;
    bool discardNull = false;  // informational: the port drops NULs itself
    char eventChar = 0;        // informational: the device reports no event character
};

// The five timeouts in milliseconds; an all-ones value stands for -1.
struct TimeoutValues {
    std::uint32_t readInterval = 0xFFFFFFFF;
    std::uint32_t readTotalMultiplier = 0;
    std::uint32_t readTotalConstant = 0;
    std::uint32_t writeTotalMultiplier = 100;
    std::uint32_t writeTotalConstant = 1000;
};

// A watch for line events on an open device, from the moment it selects its
// kinds until it is destroyed, which selects none again. wait() runs on the
// event monitor's thread while the device serves the port's own calls; stop()
// may come from any thread.
class LineEventWatch {
public:
    virtual ~LineEventWatch() = default;

    // Blocks until something happens on the line and reports, in event-mask
    // bits, which of the watched kinds did (0: none of them; wait again).
    // ECANCELED once stop() has been called; EIO when the line hung up, after
    // which there is nothing more to wait for.
    virtual int wait(std::uint32_t& kinds) = 0;
    // Makes the wait in progress, and every later one, return ECANCELED.
    virtual void stop() = 0;
};

// What operations on a closed device fail with: the platform's number for a
// handle that is not open.
#ifdef _WIN32
inline constexpr int kClosedDeviceError = 6;  // ERROR_INVALID_HANDLE
#else
inline constexpr int kClosedDeviceError = EBADF;
#endif

// The platform under TComPort. Every operation returns 0 on success or the
// platform's error number on failure (errno; on Windows the system error code,
// GetLastError) and never throws; TComPort turns failures into EComPort.
// Operations other than open() and close() on a closed device return
// kClosedDeviceError.
// A device whose far end went away (an unplugged adapter, a pseudo-terminal whose
// master closed) fails its next operation (EIO) instead of waiting or spinning.
class ComDevice {
public:
    virtual ~ComDevice() = default;

    // Opens the device `address` leads to for reading and writing, exclusively
    // and without waiting for carrier detect; ENOENT when it leads to none,
    // EBUSY when another process holds it.
    virtual int open(const PortAddress& address) = 0;
    // Closes the device at once, discarding unsent output; nothing when closed.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Advisory sizes of the driver's input and output queues.
    virtual int setQueueSizes(int inputSize, int outputSize) = 0;
    // Applies the whole record, DTR and RTS included; EINVAL for what the device
    // cannot do, leaving the previous parameters in force.
    virtual int setLineParameters(const LineParameters& line) = 0;
    // Stores the timeouts; writes are bounded by the write timeouts.
    virtual int setTimeouts(const TimeoutValues& timeouts) = 0;

    // Discards the bytes queued for input and/or output.
    virtual int purge(bool input, bool output) = 0;
    // Aborts reads and writes in progress (a device whose transfers are all
    // synchronous has none between calls).
    virtual int abortTransfers() = 0;

    // Moves up to `capacity` received bytes into `buffer` without waiting;
    // `received` is 0 when none are queued.
    virtual int read(char* buffer, int capacity, int& received) = 0;
    // Sends `size` bytes and returns when the driver has handed them all to the
    // hardware (the last ones may still be on the wire) or the write timeout
    // (multiplier x size + constant) has passed; `sent` counts the bytes handed
    // over, and bytes the driver still holds at the timeout are discarded.
    virtual int write(const char* data, int size, int& sent) = 0;

    // States of CTS, DSR, RING and RLSD; a device without modem lines reports all off.
    virtual int modemLines(TComSignals& lines) = 0;
    // Line errors since the previous call (reading clears them); a device without
    // error counters reports none.
    virtual int lineErrors(TComErrors& errors) = 0;

    // Starts watching the kinds in `mask` (event-mask bits, serial/EventMask.h)
    // that this device can report; the others never come. `watch` stays empty
    // on failure.
    virtual int watchEvents(std::uint32_t mask, std::unique_ptr<LineEventWatch>& watch) = 0;

    // After an open: why the device is held without the lock file that other
    // serial programs look for ("" when it has one, or needs none), such as a
    // lock folder that is missing or not writable.
    virtual std::string lockFolderTrouble() const { return {}; }
};

}  // namespace stela
