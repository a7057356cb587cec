#pragma once

#include <string>

#include "serial/PortAddress.h"
#include "serial/PortFailure.h"

namespace stela {

// A line in plain words on why the network port `port` (tcp:// or rfc2217://)
// could not be opened, for the open's failure `kind`; "" when there is nothing
// to add.
std::string netOpenTroubleHint(const PortAddress& port, FailureKind kind);

// A line in plain words on why the server of `port` did not take the line
// settings, for the failure `kind` they met; "" when there is nothing to add.
std::string netSettingsTroubleHint(const PortAddress& port, FailureKind kind);

}  // namespace stela
