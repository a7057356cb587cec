#pragma once

#include <memory>
#include <string>
#include <vector>

#include "workflows/SignPort.h"
#include "protocol/LogSink.h"
#include "serial/TComPort.h"
#include "tests/support/SimComDevice.h"
#include "tests/support/VirtualClock.h"

namespace stela::test {

struct LogLines : LogSink {
    std::vector<std::string> lines;
    void appendLog(const std::string& line) override { lines.push_back(line); }
};

// A port object on simulated devices, with the window's settings, in virtual time.
struct SimPort {
    VirtualClock clock;
    SimComDevice* device;
    TComPort port;

    SimPort() : SimPort(std::make_unique<SimComDevice>(clock)) {}

private:
    explicit SimPort(std::unique_ptr<SimComDevice> owned)
        : device(owned.get()), port(std::move(owned)) {
        loadSignPortSettings(port);
    }
};

}  // namespace stela::test
