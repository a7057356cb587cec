#include "os/Utf8Path.h"

#include <fcntl.h>

namespace stela {

void openUtf8(std::ifstream& file, const std::string& path, std::ios::openmode mode) {
    file.open(path, mode);
}

void openUtf8(std::ofstream& file, const std::string& path, std::ios::openmode mode) {
    file.open(path, mode);
}

int openUtf8(const std::string& path, int flags, int mode) {
    return ::open(path.c_str(), flags, mode);
}

}  // namespace stela
