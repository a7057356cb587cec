#pragma once

#include <string>

namespace stela {

class EComPort;

// Lines shown below a serial error's message that name, in plain words, a reason
// Linux can tell why a port could not be used. Each is "" when there is nothing to add.

// The device `port` ("COM3" or a path) cannot be opened: no access (with the
// device's group and how to join it) or held by another program (named when
// /proc tells). `error` is the system's error number.
std::string openTroubleHint(const std::string& port, int error);

// A serial error met while using `port`: the reasons above when it could not be
// opened, a device that went away (an unplugged adapter), or no port open; for
// settings that could not be stored, the file and what is wrong with it.
std::string portTroubleHint(const EComPort& error, const std::string& port);

}  // namespace stela
