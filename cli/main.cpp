// stela-cli: the sign's workflows from a script (see Arguments.cpp for the usage).
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <iostream>
#include <memory>

#include "cli/Charset.h"
#include "cli/CliLanguage.h"
#include "cli/Run.h"
#include "protocol/Clock.h"
#include "serial/NamedComDevice.h"
#include "serial/TComPort.h"
#include "workflows/Journal.h"

namespace {

volatile std::sig_atomic_t stopSignal = 0;

// A stop asked by Ctrl-C, a closed remote shell or kill is taken at the
// workflow's next progress step, as a closing window is: a read stops there,
// a write at the end of the row it is writing. The board search has no such
// step; a second Ctrl-C ends the program at once (the handler is reset).
void askToStop(int signal) {
    stopSignal = signal;
}

}  // namespace

int main(int argc, char** argv) {
    struct sigaction action {};
    action.sa_handler = askToStop;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }

    stela::cli::Environment env;
    // The terminal's charset; the C library's own messages (strerror) only
    // where the run is not in English, in which C speaks.
    std::setlocale(LC_CTYPE, "");
    if (stela::languageOf(stela::cli::cliLanguage(env.variables)) != "en") {
        std::setlocale(LC_MESSAGES, "");
    }
    env.charset = stela::cli::localeCharset(env.variables);

    stela::SteadyClock clock;
    stela::TComPort port(std::make_unique<stela::NamedComDevice>());
    env.port = &port;
    env.clock = &clock;
    env.out = &std::cout;
    env.err = &std::cerr;
    env.errIsTerminal = isatty(STDERR_FILENO) == 1;
    env.stopSignal = [] { return static_cast<int>(stopSignal); };
    stela::Journal journal(stela::journalDirectory(), [&port] { return port.Port(); });
    env.journal = &journal;
    const int status = stela::cli::runCli({argv + 1, argv + argc}, env);
    std::cout.flush();
    return status;
}
