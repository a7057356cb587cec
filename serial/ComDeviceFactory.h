#pragma once

#include <functional>
#include <memory>

#include "serial/ComDevice.h"
#include "serial/PortAddress.h"

namespace stela {

// Makes the device for an address at each open of a port.
using ComDeviceFactory = std::function<std::unique_ptr<ComDevice>(const PortAddress& address)>;

// The machine's device for `address`: a network device for a tcp:// or
// rfc2217:// address (a COM name's link may lead to one), serialDevice() for
// every other.
std::unique_ptr<ComDevice> machineDevice(const PortAddress& address);

// The machine's serial device (termios on Linux, Win32 on Windows).
std::unique_ptr<ComDevice> serialDevice();

}  // namespace stela
