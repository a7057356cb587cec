#pragma once

#include "serial/ComDevice.h"

namespace stela::test {

// A device that passes every call on to `target()`; a test overrides the calls
// it watches or disturbs.
class ForwardingComDevice : public ComDevice {
public:
    PortFailure open(const PortAddress& address) override { return target().open(address); }
    void close() override { target().close(); }
    bool isOpen() const override {
        return const_cast<ForwardingComDevice*>(this)->target().isOpen();
    }
    PortFailure setQueueSizes(int in, int out) override { return target().setQueueSizes(in, out); }
    PortFailure setLineParameters(const LineParameters& line) override {
        return target().setLineParameters(line);
    }
    PortFailure setTimeouts(const TimeoutValues& t) override { return target().setTimeouts(t); }
    PortFailure purge(bool in, bool out) override { return target().purge(in, out); }
    PortFailure abortTransfers() override { return target().abortTransfers(); }
    PortFailure read(char* buffer, int capacity, int& received) override {
        return target().read(buffer, capacity, received);
    }
    PortFailure write(const char* data, int size, int& sent) override {
        return target().write(data, size, sent);
    }
    PortFailure modemLines(TComSignals& lines) override { return target().modemLines(lines); }
    PortFailure lineErrors(TComErrors& errors) override { return target().lineErrors(errors); }
    PortFailure watchEvents(std::uint32_t mask, std::unique_ptr<LineEventWatch>& watch) override {
        return target().watchEvents(mask, watch);
    }

protected:
    virtual ComDevice& target() = 0;
};

}  // namespace stela::test
