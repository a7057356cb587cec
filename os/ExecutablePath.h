#pragma once

#include <string>

namespace stela {

// The folder of the running program, with '/' or '\' as the system writes it;
// "" when the system does not tell.
std::string executableDirectory();

}  // namespace stela
