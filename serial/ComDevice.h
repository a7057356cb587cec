#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "serial/ComTypes.h"
#include "serial/PortAddress.h"
#include "serial/PortFailure.h"

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
    // False once stop() has been called, or when the line went away and there
    // is nothing more to wait for.
    virtual bool wait(std::uint32_t& kinds) = 0;
    // Makes the wait in progress, and every later one, return false.
    virtual void stop() = 0;
};

// The platform under TComPort. Every operation returns no failure on success,
// or the failure classified where the device met it (PortFailure.h), and never
// throws; TComPort turns failures into EComPort. Operations other than open()
// and close() on a closed device fail as NotOpen.
// A device whose far end went away (an unplugged adapter, a pseudo-terminal whose
// master closed, a connection the server closed) fails its next operation as
// Gone instead of waiting or spinning.
class ComDevice {
public:
    virtual ~ComDevice() = default;

    // Opens the device `address` leads to for reading and writing, exclusively
    // and without waiting for carrier detect; Missing when it leads to none,
    // InUse when another process holds it.
    virtual PortFailure open(const PortAddress& address) = 0;
    // Closes the device at once, discarding unsent output; nothing when closed.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Advisory sizes of the driver's input and output queues.
    virtual PortFailure setQueueSizes(int inputSize, int outputSize) = 0;
    // Applies the whole record, DTR and RTS included; Unsupported for what the
    // device cannot do, leaving the previous parameters in force.
    virtual PortFailure setLineParameters(const LineParameters& line) = 0;
    // Stores the timeouts; writes are bounded by the write timeouts.
    virtual PortFailure setTimeouts(const TimeoutValues& timeouts) = 0;

    // Discards the bytes queued for input and/or output.
    virtual PortFailure purge(bool input, bool output) = 0;
    // Aborts reads and writes in progress (a device whose transfers are all
    // synchronous has none between calls).
    virtual PortFailure abortTransfers() = 0;

    // Moves up to `capacity` received bytes into `buffer` without waiting;
    // `received` is 0 when none are queued.
    virtual PortFailure read(char* buffer, int capacity, int& received) = 0;
    // Sends `size` bytes and returns when the driver has handed them all to the
    // hardware (the last ones may still be on the wire) or the write timeout
    // (multiplier x size + constant) has passed; `sent` counts the bytes handed
    // over, and bytes the driver still holds at the timeout are discarded.
    virtual PortFailure write(const char* data, int size, int& sent) = 0;

    // States of CTS, DSR, RING and RLSD; a device without modem lines reports all off.
    virtual PortFailure modemLines(TComSignals& lines) = 0;
    // Line errors since the previous call (reading clears them); a device without
    // error counters reports none.
    virtual PortFailure lineErrors(TComErrors& errors) = 0;

    // Starts watching the kinds in `mask` (event-mask bits, serial/EventMask.h)
    // that this device can report; the others never come. `watch` stays empty
    // on failure.
    virtual PortFailure watchEvents(std::uint32_t mask, std::unique_ptr<LineEventWatch>& watch) = 0;

    // After an open: why the device is held without the lock file that other
    // serial programs look for ("" when it has one, or needs none), such as a
    // lock folder that is missing or not writable.
    virtual std::string lockFolderTrouble() const { return {}; }
};

}  // namespace stela
