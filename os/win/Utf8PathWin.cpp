#include <fcntl.h>
#include <io.h>

#include <filesystem>

#include "os/Utf8Path.h"
#include "os/win/WideText.h"

namespace stela {

void openUtf8(std::ifstream& file, const std::string& path, std::ios::openmode mode) {
    file.open(std::filesystem::path(widened(path)), mode);
}

void openUtf8(std::ofstream& file, const std::string& path, std::ios::openmode mode) {
    file.open(std::filesystem::path(widened(path)), mode);
}

int openUtf8(const std::string& path, int flags, int mode) {
    return ::_wopen(widened(path).c_str(), flags, mode);
}

}  // namespace stela
