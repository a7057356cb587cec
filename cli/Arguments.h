#pragma once

#include <string>
#include <vector>

#include "cli/Readout.h"
#include "cli/RowChange.h"
#include "cli/Threshold.h"
#include "serial/PortAddress.h"

namespace stela::cli {

enum class Action { Help, Version, Search, Read, Write, Check, Brightness, Effect, Ports };

// As the monitoring plugins' default.
inline constexpr int kCheckTimeoutSeconds = 10;
inline constexpr int kCheckTimeoutLimit = 3600;

// A command line, checked: what it asks for is valid before any port opens.
struct Arguments {
    Action action = Action::Help;
    // --port: the search's list of candidates, or the one port to use; empty:
    // the board search finds it.
    std::vector<PortAddress> ports;
    Format format = Format::Text;
    RowChanges rows;         // write, check: from --row
    std::string file;        // write, check --file: the rows are read from it ("-": standard input)
    std::string encoding;    // --encoding: the --file's charset; "": UTF-8, else guessed
    bool dryRun = false;     // write: print the frames, send none
    bool automatic = false;  // brightness auto
    int level = 0;           // brightness 0..9, effect 0..9
    std::string logPath;     // --log
    bool verbose = false;    // -v
    std::string output;      // check --format prometheus: the file replaced with the metrics
    bool warnUnread = false;  // check: a half that did not answer is a warning, not critical
    int timeoutSeconds = kCheckTimeoutSeconds;   // check -t: the answer comes within it
    std::optional<Threshold> warning, critical;  // check -w, -c: on the read's seconds
    std::string station;       // check --format prometheus: the station label ("": the host's name)
    bool helpOfCheck = false;  // Help: check's own (check --help, help check)
};

// Options by getopt_long: long ones may be abbreviated while that is
// unambiguous and take their value as --opt=VALUE or --opt VALUE; short ones
// group (-nv); "--" ends the options. Options may stand before or after the
// command. Throws InputError for anything it does not take; the --file is
// read by the caller. `a` is filled as the parse goes, so that a refusal still
// tells the command it was given to (check answers as a monitoring plugin).
void parseArguments(const std::vector<std::string>& args, Arguments& a);

// The help, in the run's language: all commands, or check's alone.
std::string usageText();
std::string checkUsageText();

}  // namespace stela::cli
