#pragma once

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <ostream>
#include <string>

#include "i18n/Languages.h"
#include "serial/PortList.h"

namespace stela {
class Clock;
class Journal;
class TCustomComPort;
}  // namespace stela

namespace stela::cli {

class AnswerDeadline;

// What stela-cli runs on: a port object on the machine's serial devices and
// the steady clock in the program, a simulated sign in virtual time in the
// tests. The port is given closed; the command sets it up for the sign.
struct Environment {
    TCustomComPort* port = nullptr;
    Clock* clock = nullptr;
    std::ostream* out = nullptr;
    std::ostream* err = nullptr;
    std::istream* in = &std::cin;  // --file -
    bool errIsTerminal = false;    // draw the progress bar on err
    // Where the bar is drawn, err when none: the one stream whose carriage
    // returns reach the terminal.
    std::ostream* progress = nullptr;
    // The terminal's character set: the command line comes in it, and the
    // output goes out in it (JSON as ASCII with \u escapes where it is not UTF-8).
    std::string charset = "UTF-8";
    // The language variables (LANG, LANGUAGE, ...).
    EnvironmentReader variables = localeEnvironment;
    // The signal that asked the program to stop, 0 while none has.
    std::function<int()> stopSignal = [] { return 0; };
    // Where `ports` looks for the serial ports (the machine's sysfs and /dev).
    PortListSources portSources;
    // Keeps the operation log as well; none in the tests.
    Journal* journal = nullptr;
    // When the program started, on `clock`; -1: when runCli is called.
    std::int64_t startedMs = -1;
    // What answers a check at its time limit if the run cannot; none in the tests.
    AnswerDeadline* deadline = nullptr;
};

}  // namespace stela::cli
