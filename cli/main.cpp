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
#include "serial/ComDeviceFactory.h"
#include "serial/TComPort.h"
#include "workflows/Journal.h"

namespace {

volatile std::sig_atomic_t stopSignal = 0;

// A stop asked by any signal whose default would end the program (Ctrl-C or
// Ctrl-\, a closed remote shell, kill, a timer) is taken at the workflow's next
// progress step, as a closing window is: a read stops there, a write at the
// end of the row it is writing. The board search has no such step; a second
// signal of the same kind ends the program at once (the handler is reset).
// SIGPIPE alone stays caught: output that can no longer be written (a reader
// such as `head` gone) stops the run at the same points, and its EPIPE is
// otherwise ignored, so the row in progress is finished.
void askToStop(int signal) {
    if (stopSignal == 0) {
        stopSignal = signal;  // the first says why; a later SIGPIPE is the stop's echo
    }
}

void catchStopSignals() {
    struct sigaction action {};
    action.sa_handler = askToStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGPIPE, &action, nullptr);
    action.sa_flags = SA_RESETHAND;
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM}) {
        sigaction(signal, &action, nullptr);
    }
}

}  // namespace

int main(int argc, char** argv) {
    catchStopSignals();

    stela::cli::Environment env;
    // The terminal's charset; the C library's own messages (strerror) only
    // where the run is not in English, in which C speaks.
    std::setlocale(LC_CTYPE, "");
    if (stela::languageOf(stela::cli::cliLanguage(env.variables)) != "en") {
        std::setlocale(LC_MESSAGES, "");
    }
    env.charset = stela::cli::localeCharset(env.variables);

    stela::SteadyClock clock;
    stela::TComPort port(stela::machineDevice);
    env.port = &port;
    env.clock = &clock;
    env.out = &std::cout;
    env.err = &std::cerr;
    env.errIsTerminal = isatty(STDERR_FILENO) == 1;
    env.stopSignal = [] { return static_cast<int>(stopSignal); };
    stela::Journal journal(stela::journalDirectory(), "stela-cli", [&port] { return port.Port(); });
    env.journal = &journal;
    const int status = stela::cli::runCli({argv + 1, argv + argc}, env);
    std::cout.flush();
    // A signal that came after the last progress step (a reader gone while the
    // readout was printed) still fails the run.
    return status == 0 && stopSignal != 0 ? 128 + stopSignal : status;
}
