#pragma once

#include <memory>

#include "serial/ComDevice.h"

namespace stela {

// The device a port name stands for, chosen at each open: a network device for a
// tcp:// or rfc2217:// name, or a COM name whose dosdevices link points at one;
// the machine's serial device (termios) for every other name. Every other call
// goes to the device opened last.
class NamedComDevice final : public ComDevice {
public:
    NamedComDevice();
    ~NamedComDevice() override;

    int open(const std::string& port) override;
    void close() override;
    bool isOpen() const override;

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
    std::string lockFolderTrouble() const override;

private:
    std::unique_ptr<ComDevice> serial_;
    std::unique_ptr<ComDevice> network_;
    ComDevice* current_;
};

}  // namespace stela
