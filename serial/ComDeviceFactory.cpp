#include "serial/ComDeviceFactory.h"

#include "net/NetComDevice.h"

namespace stela {

// serialDevice() is the system's own: posix/PosixComDevice.cpp, win/WinComDevice.cpp.
std::unique_ptr<ComDevice> machineDevice(const PortAddress& address) {
    if (address.isNetwork()) {
        return std::make_unique<NetComDevice>();
    }
    return serialDevice();
}

}  // namespace stela
