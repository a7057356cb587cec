#include "net/NetComDevice.h"
#include "net/win/WindowsCodedDevice.h"
#include "serial/ComDeviceFactory.h"
#include "win/WinComDevice.h"

namespace stela {

std::unique_ptr<ComDevice> machineDevice(const PortAddress& address) {
    if (address.isNetwork()) {
        return std::make_unique<WindowsCodedDevice>(std::make_unique<NetComDevice>());
    }
    return serialDevice();
}

std::unique_ptr<ComDevice> serialDevice() {
    return std::make_unique<WinComDevice>();
}

}  // namespace stela
