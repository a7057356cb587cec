// Port names on Windows: every name is a device of the Win32 device namespace
// ("COM3" is "\\.\COM3"); no links, no default map.
#include "serial/PortAddress.h"
#include "serial/PortNames.h"
#include "serial/PortUrl.h"

namespace stela {
namespace {

constexpr char kDeviceNamespace[] = "\\\\.\\";

bool isDevicePath(const std::string& name) {
    return name.rfind("\\\\", 0) == 0;
}

}  // namespace

PortAddress PortAddress::unresolved(const std::string& name) {
    PortAddress address;
    address.name_ = name;
    address.comNumber_ = stela::comNumber(name);
    if (isDevicePath(name) || isPortUrl(name)) {
        address.device_ = name;
    }
    return address;
}

PortAddress PortAddress::of(const std::string& name) {
    PortAddress address = unresolved(name);
    if (address.device_.empty() && !name.empty()) {
        address.device_ = kDeviceNamespace + name;
    }
    return address;
}

bool PortAddress::isNetwork() const {
    return isPortUrl(device_);
}

// The namespace's prefix tells nothing: "COM3", not "COM3 (\\.\COM3)".
std::string PortAddress::label() const {
    return device_.empty() || device_ == name_ || device_ == kDeviceNamespace + name_
               ? name_
               : name_ + " (" + device_ + ")";
}

}  // namespace stela
