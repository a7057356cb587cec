#pragma once

#include <optional>
#include <string>

#include "serial/PortUrl.h"

namespace stela {

// What a port name means on this system, read once where the name enters (the
// --port of stela-cli, the port object's Port) and carried with the port from
// there to the device it opens:
// - a COM name, "COM1".."COM255" in any case;
// - a device path: on Linux one that starts with '/' ("/dev/ttyUSB0"); on
//   Windows one in the device namespace ("\\.\COM10"), or a bare device name
//   ("CNCA0", which stands for "\\.\CNCA0");
// - a network port's URL ("rfc2217://10.1.2.3:4001", serial/PortUrl.h), with
//   what is wrong with it;
// - anything else is no port name on this system (a Linux path on Windows, a
//   bare name on Linux).
// A COM name leads to its device when the port opens (resolved()), so that
// every message about it names the device actually opened even after the
// dosdevices link it came through is gone.
class PortAddress {
public:
    enum class Form { None, Com, Device, Network, NotAPort };

    // No name: stands for no device.
    PortAddress() = default;

    // Reads `name` as this system reads a port name, without looking anything up.
    static PortAddress parse(const std::string& name);
    // Where the name leads now: a COM name on Linux through its dosdevices link,
    // else the fixed default map (a link may lead to a network port); on Windows
    // into the device namespace. Other forms as they are.
    PortAddress resolved() const;
    static PortAddress of(const std::string& name) { return parse(name).resolved(); }

    // The name as given: "COM3", "/dev/ttyUSB0", "tcp://10.1.2.3:4001".
    const std::string& name() const { return name_; }
    Form form() const { return form_; }
    // 1..255 for a COM name, else 0.
    int comNumber() const { return comNumber_; }
    // The dosdevices link the name went through; "" when it had none.
    const std::string& link() const { return link_; }
    // The device path or network URL the name leads to; "" when none.
    const std::string& device() const { return device_; }
    // The device, or the name where it leads to none.
    const std::string& deviceOrName() const { return device_.empty() ? name_ : device_; }
    // It leads to a network port (whether or not the rest of its URL is right).
    bool isNetwork() const { return network_; }
    // What is wrong with the network port's URL; None for a right one, and for
    // an address that is no network port.
    PortUrlProblem urlProblem() const { return urlProblem_; }
    // The network port's URL taken apart; nothing when it is wrong or none.
    const std::optional<PortUrl>& url() const { return url_; }

    // "COM3 (/dev/pts/4)": a name with the device it leads to; a path, a URL or
    // a name leading to no device as it stands.
    std::string label() const;

    bool operator==(const PortAddress& other) const {
        return name_ == other.name_ && link_ == other.link_ && device_ == other.device_;
    }

private:
    // The device is `device`: a network port when it is a URL.
    void leadTo(const std::string& device);

    std::string name_;
    Form form_ = Form::None;
    int comNumber_ = 0;
    std::string link_;
    std::string device_;
    bool network_ = false;
    PortUrlProblem urlProblem_ = PortUrlProblem::None;
    std::optional<PortUrl> url_;
};

}  // namespace stela
