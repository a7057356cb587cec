#include "store/ConfigDirectory.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace stela {
namespace {

std::string baseDirectory(const char* variable, const char* belowHome) {
    const char* xdg = std::getenv(variable);
    if (xdg != nullptr && xdg[0] == '/') {
        return xdg;
    }
    return homeDirectory() + belowHome;
}

}  // namespace

std::string homeDirectory() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        return home;
    }
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<std::size_t>(size > 0 ? size : 16384));
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr) {
        return found->pw_dir;
    }
    return {};
}

std::string configDirectory() {
    return baseDirectory("XDG_CONFIG_HOME", "/.config") + "/stela";
}

std::string stateDirectory() {
    return baseDirectory("XDG_STATE_HOME", "/.local/state") + "/stela";
}

}  // namespace stela
