#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "workflows/Console.h"
#include "tests/workflows/RecordingView.h"
#include "tests/support/SimFixture.h"

namespace stela::test {

// The console on a recording window and simulated ports, in virtual time.
class ConsoleTest : public ::testing::Test {
protected:
    // A sign on `port`, with the port object open on it (as after a search).
    SignModel& connectSign(const std::string& port = "COM3") {
        SignModel& sign = sim.device->attachSign(port);
        sim.port.SetPort(port);
        sim.port.Open();
        return sign;
    }

    // Runs a workflow as the window does: an escaping error ends it in the
    // error report. Returns whether it ran to the end.
    bool press(void (Console::*workflow)()) {
        try {
            (console.*workflow)();
            return true;
        } catch (const std::exception& e) {
            view.errorReport(e.what());
            return false;
        }
    }
    // "Записать": the write, then its read-back unless the write failed.
    void pressWrite() {
        if (press(&Console::writePrices)) {
            press(&Console::readPrices);
        }
    }

    // The frames written to the sign, in order.
    std::vector<std::string> framesWritten() const { return sim.device->framesWritten(); }

    SimPort sim;
    RecordingView view;
    Console console{view, sim.port, sim.clock};
};

}  // namespace stela::test
