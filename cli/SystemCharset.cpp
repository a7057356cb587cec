#include "cli/SystemCharset.h"

#include <langinfo.h>

namespace stela::cli {

// What the C library took for LC_CTYPE: ASCII under C and POSIX, and under a
// locale this machine has not generated.
std::string systemCharset(const EnvironmentReader&) {
    return nl_langinfo(CODESET);
}

void useSystemLineEnds(int) {}

}  // namespace stela::cli
