#pragma once

#include <string>

#include "serial/PortAddress.h"

namespace stela {

class EComPort;

// Lines shown below a serial error's message that name, in plain words, a reason
// Linux can tell why a port could not be used. Each is "" when there is nothing
// to add. Each names the device the port's address led to when it was opened.

// The device `port` leads to cannot be opened: it is not there (or
// no device stands behind the name), no access (with the group to join where
// joining one helps, else who owns the device), or held by another program
// (named when Linux tells). `error` is the system's error number.
std::string openTroubleHint(const PortAddress& port, int error);

// Whether `error` ended the open of `port`: the open itself failed, or a network
// port's server did not take the line settings within the open's time.
bool endedOpen(const EComPort& error, const PortAddress& port);

// The line settings could not be applied to `port`, with the error number
// `error`: a network server that refused them.
std::string settingsTroubleHint(const PortAddress& port, int error);

// A serial error met while using `port`: the reasons above when it could not be
// opened, a device that went away (an unplugged adapter), or no port open; for
// settings that could not be stored, the file and what is wrong with it.
std::string portTroubleHint(const EComPort& error, const PortAddress& port);

}  // namespace stela
