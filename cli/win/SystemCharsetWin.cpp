#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "cli/SystemCharset.h"

namespace stela::cli {

// Windows' C runtime takes no charset from the environment. A locale named
// there (an MSYS2 or Cygwin terminal sets LANG) tells it as on Linux; else the
// console's output code page ("CP866"), or the ANSI code page ("CP1251") where
// the output goes to no console.
std::string systemCharset(const EnvironmentReader& environment) {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        if (!environment(variable).empty()) {
            return kUnnamedCharset;
        }
    }
    const UINT console = ::GetConsoleOutputCP();
    return "CP" + std::to_string(console != 0 ? console : ::GetACP());
}

void useSystemLineEnds(int fd) {
    ::_setmode(fd, _O_TEXT);
}

}  // namespace stela::cli
