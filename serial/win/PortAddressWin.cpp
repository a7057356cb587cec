// Port names on Windows: every name but a URL is a device of the Win32 device
// namespace ("COM3" and "CNCA0" are "\\.\COM3" and "\\.\CNCA0"); no links, no
// default map. A name with a path's characters in it is no port.
#include "serial/PortAddress.h"
#include "serial/PortNames.h"

namespace stela {
namespace {

constexpr char kDeviceNamespace[] = "\\\\.\\";

bool isNamespacePath(const std::string& name) {
    return name.rfind("\\\\", 0) == 0;
}

bool isDeviceName(const std::string& name) {
    return name.find_first_of("\\/:*?\"<>| ") == std::string::npos;
}

}  // namespace

PortAddress PortAddress::parse(const std::string& name) {
    PortAddress address;
    address.name_ = name;
    address.comNumber_ = stela::comNumber(name);
    if (name.empty()) {
        address.form_ = Form::None;
    } else if (isNamespacePath(name)) {
        address.form_ = Form::Device;
        address.leadTo(name);
    } else if (isPortUrl(name)) {
        address.form_ = Form::Network;
        address.leadTo(name);
    } else if (isDeviceName(name)) {
        address.form_ = address.comNumber_ != 0 ? Form::Com : Form::Device;
        address.leadTo(kDeviceNamespace + name);
    } else {
        address.form_ = Form::NotAPort;
    }
    return address;
}

// Nothing to look up: the name says it all.
PortAddress PortAddress::resolved() const {
    return *this;
}

// The namespace's prefix tells nothing: "COM3", not "COM3 (\\.\COM3)".
std::string PortAddress::label() const {
    return device_.empty() || device_ == name_ || device_ == kDeviceNamespace + name_
               ? name_
               : name_ + " (" + device_ + ")";
}

}  // namespace stela
