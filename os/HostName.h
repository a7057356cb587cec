#pragma once

#include <string>

namespace stela {

// This machine's name as the system knows it ("station-017"); "" when it has none.
std::string hostName();

}  // namespace stela
