#include "serial/PortAddress.h"

#include <unistd.h>

#include <limits.h>

#include "serial/PortNames.h"
#include "serial/PortUrl.h"

namespace stela {

PortAddress PortAddress::unresolved(const std::string& name) {
    PortAddress address;
    address.name_ = name;
    address.comNumber_ = stela::comNumber(name);
    if ((!name.empty() && name[0] == '/') || isPortUrl(name)) {
        address.device_ = name;
    }
    return address;
}

PortAddress PortAddress::of(const std::string& name) {
    PortAddress address = unresolved(name);
    if (address.comNumber_ == 0) {
        return address;
    }
    // A link is taken even when its target is missing, so that opening reports
    // the missing device rather than silently using the default.
    const std::string dir = dosdevicesDirectory();
    const std::string link = dir + "/com" + std::to_string(address.comNumber_);
    char target[PATH_MAX];
    const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
    if (n > 0) {
        target[n] = '\0';
        address.link_ = link;
        address.device_ =
            target[0] == '/' || isPortUrl(target) ? std::string(target) : dir + "/" + target;
    } else {
        address.device_ = defaultDeviceForCom(address.comNumber_);
    }
    return address;
}

bool PortAddress::isNetwork() const {
    return isPortUrl(device_);
}

std::string PortAddress::label() const {
    return device_.empty() || device_ == name_ ? name_ : name_ + " (" + device_ + ")";
}

}  // namespace stela
