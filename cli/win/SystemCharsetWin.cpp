#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "cli/SystemCharset.h"

namespace stela::cli {

// Windows' C runtime takes no charset from the environment. A locale named
// there with its charset (an MSYS2 or Cygwin terminal sets LANG=ru_RU.UTF-8)
// tells it as on Linux; else the ANSI code page ("CP1251"), what Windows'
// programs write files in. A name without a charset tells none: the language
// that LANG stands for when unset (LocaleEnvironmentWin.cpp) is such a name.
std::string systemCharset(const EnvironmentReader& environment) {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const std::string name = environment(variable);
        if (!name.empty()) {
            if (name.find('.') != std::string::npos) {
                return kUnnamedCharset;
            }
            break;
        }
    }
    return "CP" + std::to_string(::GetACP());
}

void useSystemLineEnds(int fd) {
    ::_setmode(fd, _O_TEXT);
}

}  // namespace stela::cli
