// stela-cli: the sign's workflows from a script (see Arguments.cpp for the usage).
#include <unistd.h>

#include <clocale>
#include <iostream>
#include <memory>

#include "cli/AnswerDeadline.h"
#include "cli/Charset.h"
#include "cli/CliLanguage.h"
#include "cli/Run.h"
#include "cli/StopSignals.h"
#include "os/StandardStreams.h"
#include "protocol/Clock.h"
#include "serial/ComDeviceFactory.h"
#include "serial/TComPort.h"
#include "workflows/Journal.h"

int main(int argc, char** argv) {
    stela::openStandardStreams();  // before anything is opened
    stela::SteadyClock clock;
    const std::int64_t started = clock.now_ms();  // a check's time limit counts from here
    stela::cli::catchStopSignals();

    stela::cli::Environment env;
    // The terminal's charset; the C library's own messages (strerror) only
    // where the run is not in English, in which C speaks.
    std::setlocale(LC_CTYPE, "");
#ifdef LC_MESSAGES  // Windows' C runtime has none: its messages follow LC_ALL
    if (stela::languageOf(stela::cli::cliLanguage(env.variables)) != "en") {
        std::setlocale(LC_MESSAGES, "");
    }
#endif
    env.charset = stela::cli::localeCharset(env.variables);

    stela::TComPort port(stela::machineDevice);
    env.port = &port;
    env.clock = &clock;
    env.startedMs = started;
    stela::cli::AnswerDeadline deadline;
    env.deadline = &deadline;
    env.out = &std::cout;
    env.err = &std::cerr;
    env.errIsTerminal = isatty(STDERR_FILENO) == 1;
    env.stopSignal = stela::cli::stopSignal;
    stela::Journal journal(stela::journalDirectory(), "stela-cli", [&port] { return port.Port(); });
    env.journal = &journal;
    const int status = stela::cli::runCli({argv + 1, argv + argc}, env);
    std::cout.flush();
    deadline.disarm();
    // A signal that came after the last progress step (a reader gone while the
    // readout was printed) still fails the run.
    const int signal = stela::cli::stopSignal();
    return status == 0 && signal != 0 ? 128 + signal : status;
}
