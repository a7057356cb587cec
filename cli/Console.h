#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace stela::cli {

// What the program is started with and writes to, as its system hands them over.

// The arguments after the program's name: on Linux the bytes as typed (taken
// in the terminal's charset later), on Windows the wide command line as UTF-8,
// whatever the code pages.
std::vector<std::string> programArguments(int argc, char** argv);

// Standard output and error, and the charset each is written in ("": the
// locale's). On Windows a console is written in wide characters, which it
// shows whatever its code page; a file or a pipe takes bytes.
struct StandardStreams {
    std::ostream* out = nullptr;
    std::ostream* err = nullptr;
    std::string outCharset;
    std::string errCharset;
    bool errIsTerminal = false;  // the progress bar is drawn there
};
StandardStreams standardStreams();

// Environment::holdOwnConsole for this run: on Windows where the console was
// opened for this program alone and is shown; empty otherwise.
std::function<void(std::ostream& out)> ownConsoleHold();

}  // namespace stela::cli
