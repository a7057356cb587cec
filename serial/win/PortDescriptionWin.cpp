#include "serial/PortAddress.h"
#include "serial/PortDescription.h"
#include "store/IgnoringCase.h"
#include "win/SerialComm.h"

namespace stela {

// All Windows tells of a port without its setup API: the device it opens and
// the driver's device that serves it ("\Device\VCP0" is an FTDI cable's).
PortDescription describePort(const std::string& port, const PortListSources& sources) {
    PortDescription d;
    d.port = port;
    const PortAddress address = PortAddress::of(port);
    d.device = address.device();
    if (address.isNetwork()) {
        return d;
    }
    try {
        for (const auto& [driver, name] : serialCommValues(sources.serialComm)) {
            if (equalIgnoringCase(name, port)) {
                d.driver = driver;
            }
        }
    } catch (const std::exception&) {
        // No list: nothing more to tell.
    }
    return d;
}

}  // namespace stela
