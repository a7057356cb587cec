#pragma once

#include <string>

namespace stela {
class EComPort;
}

namespace stela::cli {

// A serial error's text as stela-cli tells it: the code's text, then the
// system's error by its name and meaning in place of the window's Windows-style
// number ("Unable to open com port (EBUSY, Device or resource busy)"). A network
// port's name that could not be looked up is the resolver's error, not a
// missing file. Elsewhere than glibc, the window's text.
std::string portErrorText(const EComPort& error);

}  // namespace stela::cli
