#pragma once

#include <functional>
#include <string>
#include <vector>

namespace stela {

// Whether the serial-core port at `devicePath` has a UART behind it: the 8250
// driver registers every ttyS it might have, and reports the UART type "unknown"
// for those with no hardware. Windows probes none: always false there.
bool uartPresent(const std::string& devicePath);

// Where the port list looks; tests point it at a fake tree (Linux) or key (Windows).
struct PortListSources {
    std::string sysfs = "/sys";
    std::string dev = "/dev";
    std::function<bool(const std::string& devicePath)> hasUart = uartPresent;
    // Windows: the key where the serial drivers name their ports, below
    // HKEY_LOCAL_MACHINE, or below HKEY_CURRENT_USER when it begins so.
    std::string serialComm = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
};

// The serial ports present, by the names the port object takes, sorted as text
// ignoring case (COM1, COM10, COM2). On Windows the names under
// HARDWARE\DEVICEMAP\SERIALCOMM (code 23 with the registry's code when it cannot
// be read). On Linux:
// - every tty under <sysfs>/class/tty with a driver behind its device link and a
//   node under <dev> (one of the 8250 or serial-core "port" driver only with a UART
//   behind it), named COMn by the default map, or by its path when no COM name
//   stands for it;
// - every dosdevices link comN whose target exists or is a network port's URL
//   (whether its server answers is known only by connecting), as COMn.
// A directory that cannot be read is EComPort code 23 with its errno; a missing
// dosdevices directory only means there are no links.
std::vector<std::string> presentPorts(const PortListSources& sources = {});

}  // namespace stela
