#include "store/ConfigDirectory.h"

#include <cstdlib>

namespace stela {

std::string configDirectory() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg != nullptr && *xdg != '\0') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home != nullptr ? home : "") + "/.config";
    }
    return base + "/stela";
}

}  // namespace stela
