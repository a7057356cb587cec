#pragma once

#include <fstream>
#include <sstream>
#include <string>

#include "store/RegistryKey.h"

namespace stela::test {

inline std::string registryFile(RegistryRoot root) {
    return registryDirectory() + "/" + registryRootName(root) + ".reg";
}

// The whole file; "" when there is none.
inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace stela::test
