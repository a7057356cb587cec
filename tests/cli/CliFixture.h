#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Run.h"
#include "tests/support/ScopedConfigHome.h"
#include "tests/support/SimFixture.h"

namespace stela::test {

// stela-cli on simulated ports in virtual time, with its output captured.
class CliTest : public ::testing::Test {
protected:
    struct Result {
        int status;
        std::string out, err;
    };

    // As a fresh process would: the port object closed, with the window's settings.
    Result run(const std::vector<std::string>& args) {
        sim.port.Close();
        std::ostringstream out, err;
        std::istringstream in(stdinText);
        cli::Environment env;
        env.in = &in;
        env.charset = charset;
        env.port = &sim.port;
        env.clock = &sim.clock;
        env.out = &out;
        env.err = &err;
        env.errIsTerminal = errIsTerminal;
        env.stopSignal = [this] { return stopSignal(); };
        env.portSources = portSources;
        env.journal = journal;
        env.holdOwnConsole = holdOwnConsole;
        const int status = cli::runCli(args, env);
        return {status, out.str(), err.str()};
    }

    // The frames written to the sign, in order.
    std::vector<std::string> framesWritten() const { return sim.device->framesWritten(); }

    ScopedConfigHome home;
    SimPort sim;
    bool errIsTerminal = false;
    std::string stdinText;          // what --file - reads
    std::string charset = "UTF-8";  // the terminal's
    // The signal a run is asked to stop by, 0 while none; asked at each progress step.
    std::function<int()> stopSignal = [] { return 0; };
    // Where `ports` looks (the machine's own sysfs and /dev unless a test says).
    PortListSources portSources;
    Journal* journal = nullptr;
    std::function<void(std::ostream&)> holdOwnConsole;  // none: started from a shell
};

}  // namespace stela::test
