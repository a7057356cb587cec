#pragma once

#include <string>

namespace stela {

// Where stela keeps what it writes, by the XDG base-directory rules: each is
// read from the environment at every call, so that a test may point it
// elsewhere. A relative XDG_* value is ignored, as the rules say. Linux: the
// home is HOME, or the password database's when HOME is unset or empty.
// Windows: the home is USERPROFILE (else HOME), and without XDG_* values the
// folders are APPDATA's and LOCALAPPDATA's.

// The user's home directory; "" when neither knows one.
std::string homeDirectory();

// $XDG_CONFIG_HOME/stela, with ~/.config when XDG_CONFIG_HOME is unset, empty
// or relative.
std::string configDirectory();

// $XDG_STATE_HOME/stela, with ~/.local/state likewise.
std::string stateDirectory();

}  // namespace stela
