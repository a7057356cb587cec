// Windows has no device modes to show and no lock files or /proc to ask: a COM
// port opens exclusively there, and the system does not say who holds it.
#include "serial/DeviceOwners.h"

namespace stela {

std::optional<DeviceAccess> deviceAccess(const std::string&) {
    return std::nullopt;
}

std::string modeText(unsigned) {
    return {};
}

std::optional<DeviceHolder> deviceHolder(const std::string&) {
    return std::nullopt;
}

}  // namespace stela
