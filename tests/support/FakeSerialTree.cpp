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
    addTtyAt(fs::path(sysfs()) / "devices" / name, name, driver, node);
}

void FakeSerialTree::addTtyAt(const fs::path& device, const std::string& name,
                              const std::string& driver, bool node) {
    // As in sysfs: the class entry's device link leads to the device, whose
    // driver link leads to the driver.
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

std::string FakeSerialTree::addUsbTty(const std::string& name, const std::string& driver,
                                      const Usb& usb) {
    const fs::path usbDevice =
        fs::path(sysfs()) / "devices/pci0000:00/0000:00:14.0/usb1" / usb.busPath;
    const struct {
        const char* name;
        const std::string& value;
    } attributes[] = {{"idVendor", usb.vendorId},
                      {"idProduct", usb.productId},
                      {"manufacturer", usb.manufacturer},
                      {"product", usb.product},
                      {"serial", usb.serial}};
    fs::create_directories(usbDevice);
    for (const auto& a : attributes) {
        if (!a.value.empty()) {
            writeAttribute((usbDevice / a.name).string(), a.value);
        }
    }
    const fs::path device = usbDevice / (usb.busPath + ":1.0") / name;
    addTtyAt(device, name, driver, true);
    return device.string();
}

void FakeSerialTree::addDevLink(const std::string& link, const std::string& tty) const {
    const fs::path path = fs::path(dev()) / link;
    fs::create_directories(path.parent_path());
    fs::create_symlink(fs::relative(fs::path(dev()) / tty, path.parent_path()), path);
}

void FakeSerialTree::writeAttribute(const std::string& path, const std::string& value) {
    std::ofstream(path, std::ios::binary) << value << '\n';
}

PortListSources FakeSerialTree::sources() const {
    PortListSources s;
    s.sysfs = sysfs();
    s.dev = dev();
    s.hasUart = [uarts = uarts_](const std::string& path) { return uarts.count(path) > 0; };
    return s;
}

}  // namespace stela::test
