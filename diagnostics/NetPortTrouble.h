#pragma once

#include <string>

namespace stela {

// A line in plain words on why the network port `url` (tcp:// or rfc2217://)
// could not be opened, for the open's error number `error`; "" when there is
// nothing to add.
std::string netOpenTroubleHint(const std::string& url, int error);

// A line in plain words on why the server of `url` did not take the line
// settings, for the error number `error` they failed with; "" when there is
// nothing to add.
std::string netSettingsTroubleHint(const std::string& url, int error);

}  // namespace stela
