#pragma once

#include <memory>

#include "serial/ComDevice.h"

namespace stela {

// A device whose failures are told in Windows error codes: the network device
// reports the socket's own (WSA) codes as they are, and its own conditions as
// the errno values its code tests (EIO for a link that went down, EBUSY,
// ETIMEDOUT, ...), which on Windows would read as unrelated system codes (EIO is
// 5, ERROR_ACCESS_DENIED). This passes every call on and turns those into the
// Windows codes that say the same.
class WindowsCodedDevice final : public ComDevice {
public:
    explicit WindowsCodedDevice(std::unique_ptr<ComDevice> device) : device_(std::move(device)) {}

    int open(const PortAddress& address) override;
    void close() override { device_->close(); }
    bool isOpen() const override { return device_->isOpen(); }
    int setQueueSizes(int inputSize, int outputSize) override;
    int setLineParameters(const LineParameters& line) override;
    int setTimeouts(const TimeoutValues& timeouts) override;
    int purge(bool input, bool output) override;
    int abortTransfers() override;
    int read(char* buffer, int capacity, int& received) override;
    int write(const char* data, int size, int& sent) override;
    int modemLines(TComSignals& lines) override;
    int lineErrors(TComErrors& errors) override;
    int watchEvents(std::uint32_t mask, std::unique_ptr<LineEventWatch>& watch) override;

    // The Windows code for an errno value of the network code; other numbers
    // (Windows codes already) as they are.
    static int windowsCode(int error);

private:
    std::unique_ptr<ComDevice> device_;
};

}  // namespace stela
