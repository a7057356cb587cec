#include "serial/ComDeviceFactory.h"
#include "net/NetComDevice.h"
#include "posix/PosixComDevice.h"

namespace stela {

std::unique_ptr<ComDevice> machineDevice(const PortAddress& address) {
    if (address.isNetwork()) {
        return std::make_unique<NetComDevice>();
    }
    return serialDevice();
}

std::unique_ptr<ComDevice> serialDevice() {
    return std::make_unique<PosixComDevice>();
}

}  // namespace stela
