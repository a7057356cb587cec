#include <windows.h>

#include "os/ExecutablePath.h"

namespace stela {

// In the ANSI code page, as the narrow file calls that open files below it take it.
std::string executableDirectory() {
    char path[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        return {};
    }
    const std::string executable(path, length);
    return executable.substr(0, executable.find_last_of("\\/"));
}

}  // namespace stela
