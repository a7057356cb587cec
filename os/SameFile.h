#pragma once

#include <string>

namespace stela {

// Whether both paths exist and name one file (through links, or two spellings).
bool isSameFile(const std::string& a, const std::string& b);

}  // namespace stela
