#include "tests/support/FakeSerialTree.h"

#include <filesystem>
#include <fstream>

namespace stela::test {

namespace fs = std::filesystem;

FakeSerialTree::FakeSerialTree(const std::string& root) : root_(root) {
    fs::create_directories(sysfs() + "/class/tty");
    fs::create_directories(dev());
}

void FakeSerialTree::addTty(const std::string& name, const std::string& driver, bool node) {
    // As in sysfs: the class entry's device link leads to the device, whose
    // driver link leads to the driver.
    const fs::path device = fs::path(sysfs()) / "devices" / name;
    fs::create_directories(device);
    if (!driver.empty()) {
        const fs::path drivers = fs::path(sysfs()) / "bus/drivers" / driver;
        fs::create_directories(drivers);
        fs::create_symlink(drivers, device / "driver");
    }
    const fs::path entry = fs::path(sysfs()) / "class/tty" / name;
    fs::create_directories(entry);
    fs::create_symlink(device, entry / "device");
    if (node) {
        addFile("dev/" + name);
    }
}

void FakeSerialTree::addUart(const std::string& name, const std::string& driver) {
    addTty(name, driver);
    uarts_.insert(dev() + "/" + name);
}

std::string FakeSerialTree::addFile(const std::string& name) const {
    const fs::path path = fs::path(root_) / name;
    fs::create_directories(path.parent_path());
    std::ofstream{path};
    return path.string();
}

PortListSources FakeSerialTree::sources() const {
    PortListSources s;
    s.sysfs = sysfs();
    s.dev = dev();
    s.hasUart = [uarts = uarts_](const std::string& path) { return uarts.count(path) > 0; };
    return s;
}

}  // namespace stela::test
