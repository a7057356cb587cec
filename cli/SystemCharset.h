#pragma once

#include <string>

#include "i18n/Languages.h"

namespace stela::cli {

// The name the system gives the terminal's charset, or kUnnamedCharset when it
// gives none and the locale's name in the environment must tell.
inline constexpr char kUnnamedCharset[] = "ANSI_X3.4-1968";
std::string systemCharset(const EnvironmentReader& environment);

// Makes what is written to `fd` end its lines as the system's text files do:
// CR LF on Windows, where every file opens binary; as it is elsewhere.
void useSystemLineEnds(int fd);

}  // namespace stela::cli
