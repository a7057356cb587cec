#pragma once

#include <optional>
#include <string>
#include <vector>

#include "serial/PortList.h"

namespace stela {

// What a USB adapter says of itself (sysfs attributes of its USB device).
struct UsbIdentity {
    std::string vendorId;   // "0403"
    std::string productId;  // "6001"
    // As the adapter reports them (untrusted bytes); "" when it reports none.
    std::string manufacturer, product, serial;
};

// A port as a technician knows it: not COM33, but the FTDI cable with serial A1234.
struct PortDescription {
    std::string port;  // the name the port object takes: "COM33", or a path
    // The device node the name leads to, links resolved; for a network port
    // its URL ("rfc2217://10.1.2.3:4001"), with nothing else told.
    std::string device;
    // The driver serving it: "ftdi_sio", "cdc_acm", "serial8250"; "pty" for a
    // pseudo-terminal; "" when nothing tells.
    std::string driver;
    std::optional<UsbIdentity> usb;
    std::optional<int> latencyTimerMs;  // USB adapters with a latency timer (FTDI)
    // udev's stable names for the device: <dev>/serial/by-id/..., by-path/...
    std::vector<std::string> byId, byPath;
};

// The port named `port` ("COM33" or a path) as sysfs and /dev describe it on
// Linux; on Windows only its device and the driver's device that serves it
// (SERIALCOMM's name for it, "\Device\VCP0").
PortDescription describePort(const std::string& port, const PortListSources& sources = {});

// The description on one line, for a person: "/dev/ttyUSB0, ftdi_sio, USB
// 0403:6001 FTDI FT232R USB UART, serial A1234". The adapter's own texts stand
// as it reported them.
std::string portSummary(const PortDescription& port);

// Every port of presentPorts(), described, in that order. Throws as presentPorts.
std::vector<PortDescription> describePresentPorts(const PortListSources& sources = {});

}  // namespace stela
