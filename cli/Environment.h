#pragma once

#include <functional>
#include <ostream>

#include "serial/PortList.h"

namespace stela {
class Clock;
class TCustomComPort;
}  // namespace stela

namespace stela::cli {

// What stela-cli runs on: a port object on the machine's serial devices and
// the steady clock in the program, a simulated sign in virtual time in the
// tests. The port is given closed; the command sets it up for the sign.
struct Environment {
    TCustomComPort* port = nullptr;
    Clock* clock = nullptr;
    std::ostream* out = nullptr;
    std::ostream* err = nullptr;
    bool errIsTerminal = false;  // draw the progress bar on err
    // The signal that asked the program to stop, 0 while none has.
    std::function<int()> stopSignal = [] { return 0; };
    // Where `ports` looks for the serial ports (the machine's sysfs and /dev).
    PortListSources portSources;
};

}  // namespace stela::cli
