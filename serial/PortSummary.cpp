#include "serial/PortDescription.h"

namespace stela {

std::string portSummary(const PortDescription& port) {
    std::string summary = port.device;
    for (const std::string* setup : {&port.manufacturer, &port.name}) {
        if (!setup->empty()) {
            summary = *setup + ", " + summary;
        }
    }
    if (!port.driver.empty()) {
        summary += ", " + port.driver;
    }
    if (port.usb) {
        summary += ", USB " + port.usb->vendorId + ":" + port.usb->productId;
        for (const std::string* text : {&port.usb->manufacturer, &port.usb->product}) {
            if (!text->empty()) {
                summary += " " + *text;
            }
        }
        if (!port.usb->serial.empty()) {
            summary += ", serial " + port.usb->serial;
        }
    }
    return summary;
}

std::vector<PortDescription> describePresentPorts(const PortListSources& sources) {
    std::vector<PortDescription> described;
    for (const std::string& port : presentPorts(sources)) {
        described.push_back(describePort(port, sources));
    }
    return described;
}

}  // namespace stela
