#include <cstdlib>

#include "store/ConfigDirectory.h"

namespace stela {
namespace {

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// "C:\..." or "\\server\...": the XDG rules' absolute path on Windows.
bool isAbsolute(const std::string& path) {
    return (path.size() > 2 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) ||
           path.rfind("\\\\", 0) == 0 || path.rfind('/', 0) == 0;
}

// An XDG_* variable still points elsewhere (a test, an MSYS2 user); else the
// Windows folder named by `windows` (APPDATA, LOCALAPPDATA).
std::string baseDirectory(const char* xdg, const char* windows) {
    const std::string chosen = variable(xdg);
    if (isAbsolute(chosen)) {
        return chosen;
    }
    const std::string folder = variable(windows);
    return isAbsolute(folder) ? folder : homeDirectory() + "\\AppData\\Local";
}

}  // namespace

std::string homeDirectory() {
    const std::string profile = variable("USERPROFILE");
    return profile.empty() ? variable("HOME") : profile;
}

std::string configDirectory() {
    return baseDirectory("XDG_CONFIG_HOME", "APPDATA") + "\\stela";
}

std::string stateDirectory() {
    return baseDirectory("XDG_STATE_HOME", "LOCALAPPDATA") + "\\stela";
}

}  // namespace stela
