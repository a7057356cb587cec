#pragma once

#include <string>
#include <vector>

namespace stela {

// The names in `directory`, without "." and "..", in the order the system gives
// them. Returns 0, or the errno value of opening or reading it; `names` then
// holds what was read before the failure.
int listDirectory(const std::string& directory, std::vector<std::string>& names);

// The names in `directory`; none when it cannot be read.
std::vector<std::string> directoryNames(const std::string& directory);

}  // namespace stela
