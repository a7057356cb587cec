#pragma once

#include <optional>

namespace stela {

// What stela's command line asks before any window or port is touched:
// --help and --version print and end the program (status 0); an option it
// does not know, or an argument, prints why and ends it with status 2. Qt's
// own options (-platform, -style, ...) are left for QApplication. Returns the
// exit status when the program is to end now.
std::optional<int> handleCommandLine(int argc, char** argv);

}  // namespace stela
