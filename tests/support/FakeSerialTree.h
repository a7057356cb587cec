#pragma once

#include <filesystem>
#include <set>
#include <string>

#include "serial/PortList.h"

namespace stela::test {

// A fake sysfs and /dev below `root`, for the port list: root/sys/class/tty
// and root/dev, both empty at first.
class FakeSerialTree {
public:
    explicit FakeSerialTree(const std::string& root);

    // A tty whose device is served by `driver` ("" for no driver), with its node
    // under dev/ when `node` is set.
    void addTty(const std::string& name, const std::string& driver, bool node = true);
    // A tty of the 8250 (or the serial core's port) driver with a UART behind it.
    void addUart(const std::string& name, const std::string& driver = "serial8250");
    // A plain file that stands for a device outside /dev; returns its path.
    std::string addFile(const std::string& name) const;

    // What a USB adapter reports of itself; "" leaves an attribute out.
    struct Usb {
        std::string vendorId, productId, manufacturer, product, serial;
        std::string busPath = "1-2";  // the USB device's name in sysfs
    };
    // A tty of `driver` on a USB adapter, as sysfs lays it out: the tty's device
    // below an interface of the USB device, which carries the ids and strings.
    // Returns the tty's device directory (for attributes such as latency_timer).
    std::string addUsbTty(const std::string& name, const std::string& driver, const Usb& usb);
    // A link dev/<link> (such as "serial/by-id/usb-FTDI...") to dev/<tty>, as udev makes it.
    void addDevLink(const std::string& link, const std::string& tty) const;
    // Writes a sysfs attribute file (a line end is added).
    static void writeAttribute(const std::string& path, const std::string& value);

    std::string dev() const { return root_ + "/dev"; }
    std::string sysfs() const { return root_ + "/sys"; }
    PortListSources sources() const;

private:
    void addTtyAt(const std::filesystem::path& device, const std::string& name,
                  const std::string& driver, bool node);

    std::string root_;
    std::set<std::string> uarts_;  // device paths
};

}  // namespace stela::test
