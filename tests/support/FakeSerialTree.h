#pragma once

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

    std::string dev() const { return root_ + "/dev"; }
    std::string sysfs() const { return root_ + "/sys"; }
    PortListSources sources() const;

private:
    std::string root_;
    std::set<std::string> uarts_;  // device paths
};

}  // namespace stela::test
