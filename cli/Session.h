#pragma once

#include <array>
#include <optional>
#include <ostream>
#include <string>

#include "cli/Arguments.h"
#include "cli/CliView.h"
#include "cli/Environment.h"
#include "cli/ProgressBar.h"
#include "workflows/Console.h"
#include "serial/TComPort.h"

namespace stela::cli {

// One run of a stela-cli command: the port object with the sign's line
// settings, the console's workflows on a CliView, and the exit status decided
// from what the workflows showed.
class Session {
public:
    // `log` receives the operation log as it grows (nullptr: kept in memory only).
    Session(const Arguments& args, const Environment& env, std::ostream* log);

    // Serial errors and a stop asked by a signal end in their exit status here.
    int run();

private:
    int dispatch();
    // Opens the port given, or runs the board search; false when no sign was found.
    bool connect();
    int search();
    int read();
    int write();
    int command();

    // False when a row whose frames need what the sign holds did not read
    // valid (a half failed, or the halves differ); reported on err.
    bool rowsReadWhole();
    void applyRowChanges();
    void printDryRun();
    // What the read-back and the console showed of the write, reported on err.
    bool writeConfirmed(const std::array<std::string, 10>& frames);
    // False when a half failed or a row's halves differ; each reported on err.
    bool readReport();
    void readWithProgress(const std::string& title);
    void printReadout();
    std::string noSignMessage() const;

    static constexpr int kHalfCount = 10;

    const Arguments& args_;
    std::ostream& out_;
    std::ostream& err_;
    std::function<int()> stopSignal_;
    TCustomComPort& port_;
    bool asciiJson_;
    CliView view_;
    Console console_;
    ProgressBar bar_;
};

}  // namespace stela::cli
