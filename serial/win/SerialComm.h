#pragma once

#include <string>
#include <utility>
#include <vector>

namespace stela {

// The values of HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM (or of the key
// `location` names, see PortListSources), where each serial driver names the
// ports it has: value name, the driver's device ("\Device\Serial0"), and data,
// the port ("COM1"), in the key's order. EComPort code 23 with the system's
// error when the key cannot be read.
std::vector<std::pair<std::string, std::string>> serialCommValues(const std::string& location);

}  // namespace stela
