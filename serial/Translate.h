#pragma once

#include <string>

namespace stela {

// Looks up the translation of a user-interface text in a text domain ("default"
// for the program and the serial layer's errors, "cport" for the port setup
// dialog). No catalogue is loaded yet, so every text comes back unchanged.
std::string translate(const std::string& text, const std::string& domain);

}  // namespace stela
