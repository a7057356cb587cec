#pragma once

#include <csignal>
#include <string>
#include <thread>

#include "sim/SignModel.h"
#include "sim/tool/PseudoTerminal.h"
#include "sim/tool/PylonDisplay.h"

namespace stela::test {

// A sign served on a pseudo-terminal by stela-sim's loop on a thread of its
// own. The loop stops on a signal read from a signalfd; SIGUSR1, blocked in
// that thread and sent to it alone, plays the part of the Ctrl-C it gets as a
// process.
class ServedSign {
public:
    ServedSign();
    ~ServedSign();
    ServedSign(const ServedSign&) = delete;
    ServedSign& operator=(const ServedSign&) = delete;

    // Content and faults are set before start(); the model is the loop's from
    // then until stop().
    SignModel& model() { return sign_; }
    const std::string& devicePath() const { return pty_.slavePath(); }

    void start();
    // Ends the serving thread; the model is the caller's again.
    void stop();

private:
    sigset_t stop_{};
    int signalFd_ = -1;
    SignModel sign_;
    PseudoTerminal pty_;
    PylonDisplay display_{sign_, DisplayMode::Quiet, "sign"};
    std::thread thread_;
};

}  // namespace stela::test
