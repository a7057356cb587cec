#pragma once

#include <string>
#include <vector>

#include "cli/Readout.h"
#include "cli/RowChange.h"

namespace stela::cli {

enum class Action { Help, Search, Read, Write, Brightness, Effect, Ports };

// A command line, checked: what it asks for is valid before any port opens.
struct Arguments {
    Action action = Action::Help;
    // --port: the search's list of candidates, or the one port to use; empty:
    // the board search finds it.
    std::vector<std::string> ports;
    Format format = Format::Text;
    RowChanges rows;         // write: from --row or --file
    bool dryRun = false;     // write: print the frames, send none
    bool automatic = false;  // brightness auto
    int level = 0;           // brightness 0..9, effect 0..9
    std::string logPath;     // --log
    bool verbose = false;    // -v
};

// Throws InputError for anything it does not take; reads a --file whole.
Arguments parseArguments(const std::vector<std::string>& args);

extern const char kUsage[];

}  // namespace stela::cli
