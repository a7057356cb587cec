#pragma once

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "tests/support/SimFixture.h"
#include "tests/workflows/RecordingObserver.h"
#include "workflows/Console.h"

namespace stela::test {

// The console on a recording observer and simulated ports, in virtual time.
class ConsoleTest : public ::testing::Test {
protected:
    // A sign on `port`, with the port object open on it (as after a search).
    SignModel& connectSign(const std::string& port = "COM3") {
        SignModel& sign = sim.device->attachSign(port);
        sim.port.SetPort(port);
        sim.port.Open();
        return sign;
    }

    // Runs a workflow as a front end does: an escaping error ends it and is
    // kept in `errors`. Returns whether it ran to the end.
    template <class Workflow>
    bool press(Workflow&& workflow) {
        try {
            workflow();
            return true;
        } catch (const std::exception& e) {
            errors.push_back(e.what());
            return false;
        }
    }
    // The write of `rows`, each taken as the write comes to it.
    WriteOutcome write() {
        return console.writePrices([this](int row) { return rows.at(std::size_t(row)); });
    }
    // "Записать": the write, then its read-back unless the write failed.
    void pressWrite() {
        if (press([this] { written = write(); })) {
            press([this] { readBack = console.readPrices(); });
        }
    }

    // The frames written to the sign, in order.
    std::vector<std::string> framesWritten() const { return sim.device->framesWritten(); }

    SimPort sim;
    RecordingObserver observer;
    Console console{observer, sim.port, sim.clock};
    // A new window's rows: empty price fields, the grade "80", clear boxes.
    std::array<PriceRowInputs, 6> rows{{{},
                                        {"  .  ", false, 0, false, false},
                                        {"  .  ", false, 0, false, false},
                                        {"  .  ", false, 0, false, false},
                                        {"  .  ", false, 0, false, false},
                                        {"  .  ", false, 0, false, false}}};
    std::vector<std::string> errors;
    WriteOutcome written;
    ReadOutcome readBack;
};

}  // namespace stela::test
