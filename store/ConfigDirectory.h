#pragma once

#include <string>

namespace stela {

// Where stela keeps what it writes: $XDG_CONFIG_HOME/stela, with ~/.config when
// XDG_CONFIG_HOME is unset or empty. Read from the environment at every call, so
// that a test may point it elsewhere.
std::string configDirectory();

}  // namespace stela
