#pragma once

#include <optional>
#include <string>

#include "serial/DeviceOwners.h"

namespace stela {

// Another process that has the device at `path` open, lock or none: two programs
// on one line take each other's replies. Not one: this process; a process whose
// descriptors we may not see (a user sees only their own, unless root); the far
// end of a pseudo-terminal, which holds its master as well and keeps the line up.
// Reads /proc, at a cost that grows with the processes' descriptors.
std::optional<DeviceHolder> heldOpen(const std::string& path);

}  // namespace stela
