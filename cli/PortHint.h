#pragma once

#include <string>

#include "serial/PortAddress.h"

namespace stela {
class EComPort;
}

namespace stela::cli {

// The line stela-cli prints below a serial error met on `port`, in plain words,
// or "" when Linux tells nothing more: no access or a port held by another
// program (the console's hints), or a device that went away. It names
// stela-cli's commands, never the window's buttons.
std::string portHint(const EComPort& error, const PortAddress& port);

}  // namespace stela::cli
