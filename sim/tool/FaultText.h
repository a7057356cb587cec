#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "sim/Fault.h"

namespace stela {

// The text form of a fault on stela-sim's command line:
//   KIND[=VALUE][,address=A][,frames=F][,after=N][,times=N][,at=N]
// KIND: silence, lost, late=MS, bad-checksum, lower-case, truncate=N,
// surplus=BYTES, garbage=BYTES, nul=N, no-t, no-ok, reply=BYTES.
// F: read, write, la, lm, q. BYTES may use \xHH (\x2C for a comma) and \\.
// Throws std::invalid_argument with a message fit for the user.
Fault parseFault(std::string_view text);

// A short description for the display, e.g. "late 160 ms, address 0, 3 more".
std::string describeFault(const Fault& fault);

// Bytes from the command line with \xHH and \\ escapes resolved.
std::string unescapeBytes(std::string_view text);

}  // namespace stela
