#pragma once

#include <fstream>
#include <string>

namespace stela {

// Files named in UTF-8, as stela-cli has their names (Windows' command line is
// read as such), opened through the system's calls: by the bytes as they
// stand on Linux, in wide characters on Windows, whose narrow calls would take
// the ANSI code page.
void openUtf8(std::ifstream& file, const std::string& path, std::ios::openmode mode);
void openUtf8(std::ofstream& file, const std::string& path, std::ios::openmode mode);
// open(2)'s.
int openUtf8(const std::string& path, int flags, int mode);

}  // namespace stela
