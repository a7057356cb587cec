// What a port address is on every system; reading and resolving a name are each
// system's own (posix/PortAddressPosix.cpp, win/PortAddressWin.cpp).
#include "serial/PortAddress.h"

namespace stela {

void PortAddress::leadTo(const std::string& device) {
    device_ = device;
    network_ = isPortUrl(device);
    urlProblem_ = PortUrlProblem::None;
    url_.reset();
    PortUrl url;
    if (network_ && (urlProblem_ = parsePortUrl(device, url)) == PortUrlProblem::None) {
        url_ = url;
    }
}

}  // namespace stela
