#pragma once

#include <functional>
#include <memory>
#include <ostream>

namespace stela {
class Clock;
class ComDevice;
}  // namespace stela

namespace stela::cli {

// What stela-cli runs on: the machine's serial devices and clock in the
// program, a simulated sign in virtual time in the tests.
struct Environment {
    std::function<std::unique_ptr<ComDevice>()> makeDevice;
    Clock* clock = nullptr;
    std::ostream* out = nullptr;
    std::ostream* err = nullptr;
    bool errIsTerminal = false;  // draw the progress bar on err
    // The signal that asked the program to stop, 0 while none has.
    std::function<int()> stopSignal = [] { return 0; };
};

}  // namespace stela::cli
