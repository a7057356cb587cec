#include "serial/PortAddress.h"
#include "serial/PortDescription.h"
#include "serial/UsbHardwareId.h"
#include "store/IgnoringCase.h"
#include "win/DeviceSetup.h"
#include "win/SerialComm.h"

namespace stela {

// The device it opens and the driver's device that serves it ("\Device\VCP0"
// is an FTDI cable's), and what the device setup tells: its name, maker and,
// on USB, the ids its hardware id names.
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
    for (const auto& [name, setup] : setupPorts()) {
        if (equalIgnoringCase(name, port)) {
            d.name = setup.name;
            d.manufacturer = setup.manufacturer;
            for (const std::string& id : setup.hardwareIds) {
                d.usb = d.usb ? d.usb : usbIdentityOf(id);
            }
        }
    }
    return d;
}

}  // namespace stela
