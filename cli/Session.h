#pragma once

#include <array>
#include <optional>
#include <ostream>
#include <set>
#include <string>

#include "cli/Arguments.h"
#include "cli/CliObserver.h"
#include "cli/Environment.h"
#include "cli/LimitedClock.h"
#include "cli/ProgressBar.h"
#include "serial/EComPort.h"
#include "serial/TComPort.h"
#include "workflows/Console.h"

namespace stela::cli {

// One run of a stela-cli command: the port object with the sign's line
// settings, the console's workflows followed by a CliObserver, and the exit
// status decided from what the workflows returned.
class Session {
public:
    // `log` receives the operation log as it grows (nullptr: not kept).
    Session(const Arguments& args, const Environment& env, std::ostream* log);

    // Serial errors and a stop asked by a signal end in their exit status here.
    int run();

private:
    // A line of stela-cli's own on stderr: "stela-cli: " and `message`.
    static std::string prefixed(const std::string& message);

    int dispatch();
    // Opens the port given, or runs the board search; false when no sign was found.
    bool connect();  // SessionSearch.cpp
    // One file per command: Session<Command>.cpp.
    int search();
    int read();
    int write();
    int command();  // brightness and effect
    int check();

    // A port error as stela-cli tells it: the port and the message, then a hint.
    std::vector<std::string> portErrorLines(const EComPort& error) const;
    // Replaces the --output file with `contents`; "" or what failed.
    std::string replaceOutput(const std::string& contents) const;

    // False when a row whose frames need what the sign holds did not read
    // valid (a half failed, or the halves differ); reported on err.
    bool rowsReadWhole(const ReadOutcome& read);
    // The rows to write: the changes given on top of what the sign holds.
    std::array<PriceRowInputs, kRows + 1> rowsToWrite(const std::optional<ReadOutcome>& read) const;
    // What the write and its read-back got done, reported on err.
    bool writeConfirmed(const WriteOutcome& written, const ReadOutcome& readBack);
    // False when a half failed or a row's halves differ; each reported on err.
    bool readReport(const ReadOutcome& read);
    // The read, ended by `deadlineMs` when one is given (Console::readPrices).
    ReadOutcome readWithProgress(const std::string& title,
                                 std::optional<std::int64_t> deadlineMs = std::nullopt);
    void printReadout(const ReadOutcome& read);
    std::string noSignMessage(const SearchOutcome& search) const;
    // The search's candidates for the --port list; the given ports they stand for
    // go into reached_.
    std::vector<PortAddress> candidatesFor(const std::vector<PortAddress>& given);

    static constexpr int kHalfCount = 10;

    const Arguments& args_;
    LimitedClock clock_;      // limited for check only
    std::int64_t startedMs_;  // when the process started, on clock_
    std::ostream& out_;
    std::ostream& err_;
    std::function<int()> stopSignal_;
    TCustomComPort& port_;
    std::string charset_;
    bool asciiJson_;
    AnswerDeadline* deadline_;
    Journal* journal_;
    CliObserver observer_;
    Console console_;
    ProgressBar bar_;
    std::set<std::string> reached_;  // given ports some COM name led to in the search
    std::string noSign_;             // why connect() found no sign
};

}  // namespace stela::cli
