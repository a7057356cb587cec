// Port names on Linux: a COM name leads through its dosdevices link, else the
// fixed default map; a device path starts with '/'.
#include <unistd.h>

#include <limits.h>

#include "serial/PortAddress.h"
#include "serial/PortNames.h"

namespace stela {

PortAddress PortAddress::parse(const std::string& name) {
    PortAddress address;
    address.name_ = name;
    address.comNumber_ = stela::comNumber(name);
    if (name.empty()) {
        address.form_ = Form::None;
    } else if (address.comNumber_ != 0) {
        address.form_ = Form::Com;
    } else if (name[0] == '/') {
        address.form_ = Form::Device;
        address.leadTo(name);
    } else if (isPortUrl(name)) {
        address.form_ = Form::Network;
        address.leadTo(name);
    } else {
        address.form_ = Form::NotAPort;
    }
    return address;
}

PortAddress PortAddress::resolved() const {
    if (form_ != Form::Com) {
        return *this;
    }
    PortAddress address = parse(name_);
    // A link is taken even when its target is missing, so that opening reports
    // the missing device rather than silently using the default.
    const std::string dir = dosdevicesDirectory();
    const std::string link = dir + "/com" + std::to_string(comNumber_);
    char target[PATH_MAX];
    const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
    if (n > 0) {
        target[n] = '\0';
        address.link_ = link;
        address.leadTo(target[0] == '/' || isPortUrl(target) ? std::string(target)
                                                             : dir + "/" + target);
    } else {
        address.leadTo(defaultDeviceForCom(comNumber_));
    }
    return address;
}

std::string PortAddress::label() const {
    return device_.empty() || device_ == name_ ? name_ : name_ + " (" + device_ + ")";
}

}  // namespace stela
