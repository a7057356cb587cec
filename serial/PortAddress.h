#pragma once

#include <string>

namespace stela {

// What a port name means, worked out once when the port is opened and kept with
// the open port, so that every message about it names the device actually
// opened even after the dosdevices link it came through is gone.
class PortAddress {
public:
    // No name: stands for no device.
    PortAddress() = default;

    // Resolves `name` now: a COM name through its dosdevices link, else the
    // fixed default map; a path or a network URL stands for itself.
    static PortAddress of(const std::string& name);
    // `name` without a look-up: stands for itself when it is a path or a URL,
    // for no device otherwise.
    static PortAddress unresolved(const std::string& name);

    // The name as given: "COM3", "/dev/ttyUSB0", "tcp://10.1.2.3:4001".
    const std::string& name() const { return name_; }
    // 1..255 for a COM name, else 0.
    int comNumber() const { return comNumber_; }
    // The dosdevices link the name went through; "" when it had none.
    const std::string& link() const { return link_; }
    // The device path or network URL the name leads to; "" when none.
    const std::string& device() const { return device_; }
    // The device, or the name where it leads to none.
    const std::string& deviceOrName() const { return device_.empty() ? name_ : device_; }
    // A tcp:// or rfc2217:// address (whether or not the rest of it is right).
    bool isNetwork() const;

    // "COM3 (/dev/pts/4)": a name with the device it leads to; a path, a URL or
    // a name leading to no device as it stands.
    std::string label() const;

    bool operator==(const PortAddress& other) const {
        return name_ == other.name_ && link_ == other.link_ && device_ == other.device_;
    }

private:
    std::string name_;
    int comNumber_ = 0;
    std::string link_;
    std::string device_;
};

}  // namespace stela
