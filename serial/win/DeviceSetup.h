#pragma once

#include <map>
#include <string>
#include <vector>

namespace stela {

// What Windows' device setup, which Device Manager shows, tells of a serial
// port, in UTF-8.
struct SetupPort {
    std::string name;                      // "USB Serial Port (COM3)"
    std::string manufacturer;              // "FTDI"
    std::vector<std::string> hardwareIds;  // "FTDIBUS\COMPORT&VID_0403&PID_6001"
};

// The ports present in the Ports class and behind the COM port interface, by
// the COM name their device key gives ("COM3", as written there). Empty when
// the device setup tells nothing.
std::map<std::string, SetupPort> setupPorts();

}  // namespace stela
