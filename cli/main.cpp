// stela-cli: the sign's workflows from a script (see Arguments.cpp for the usage).
#include <clocale>
#include <iostream>
#include <memory>

#include "cli/AnswerDeadline.h"
#include "cli/Charset.h"
#include "cli/CliLanguage.h"
#include "cli/Console.h"
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
    // The terminal's charset. The C library's messages stay as it writes them
    // (English): the run's language is given them by our own catalogue reader
    // (errnoMeaning), which needs no generated locale.
    std::setlocale(LC_CTYPE, "");
    env.charset = stela::cli::localeCharset(env.variables);

    stela::TComPort port(stela::machineDevice);
    env.port = &port;
    env.clock = &clock;
    env.startedMs = started;
    stela::cli::AnswerDeadline deadline;
    env.deadline = &deadline;
    const stela::cli::StandardStreams streams = stela::cli::standardStreams();
    env.out = streams.out;
    env.err = streams.err;
    env.outCharset = streams.outCharset;
    env.errCharset = streams.errCharset;
    env.errIsTerminal = streams.errIsTerminal;
    env.holdOwnConsole = stela::cli::ownConsoleHold();
    env.stopSignal = stela::cli::stopSignal;
    stela::Journal journal(stela::journalDirectory(), "stela-cli", [&port] { return port.Port(); });
    env.journal = &journal;
    const int status = stela::cli::runCli(stela::cli::programArguments(argc, argv), env);
    streams.out->flush();
    deadline.disarm();
    // A signal that came after the last progress step (a reader gone while the
    // readout was printed) still fails the run.
    const int signal = stela::cli::stopSignal();
    return status == 0 && signal != 0 ? 128 + signal : status;
}
