#pragma once

#include <string>

namespace stela {

// A line in plain words on why the network port `url` (tcp:// or rfc2217://)
// could not be opened, for the open's error number `error`; "" when there is
// nothing to add.
std::string netOpenTroubleHint(const std::string& url, int error);

}  // namespace stela
