#include "serial/PortDescription.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>

#include "os/DirectoryListing.h"
#include "serial/PortAddress.h"
#include "serial/PortNames.h"

namespace stela {
namespace {

std::string resolved(const std::string& path) {
    char target[PATH_MAX];
    return ::realpath(path.c_str(), target) != nullptr ? std::string(target) : std::string();
}

std::string parentOf(const std::string& path) {
    return path.substr(0, path.find_last_of('/'));
}

std::string lastComponent(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

bool exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// A sysfs attribute without its line end; nullopt when there is none.
std::optional<std::string> attribute(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string text(4096, '\0');  // sysfs gives at most a page
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

// The driver behind a sysfs device. Since Linux 6.5 a serial-core tty's device
// is the core's own "port", below its "ctrl": the UART's driver stands above them.
std::string driverOf(std::string device, const std::string& sysfs) {
    for (; device.size() > sysfs.size(); device = parentOf(device)) {
        char target[PATH_MAX];
        const ssize_t n = ::readlink((device + "/driver").c_str(), target, sizeof target - 1);
        if (n <= 0) {
            return {};
        }
        target[n] = '\0';
        const std::string driver = lastComponent(target);
        if (driver != "port" && driver != "ctrl") {
            return driver;
        }
    }
    return {};
}

// The USB device above a tty's device: the first one up the tree with ids.
std::optional<UsbIdentity> usbOf(std::string device, const std::string& sysfs) {
    for (; device.size() > sysfs.size(); device = parentOf(device)) {
        const auto vendor = attribute(device + "/idVendor");
        const auto product = attribute(device + "/idProduct");
        if (vendor && product) {
            return UsbIdentity{*vendor, *product, attribute(device + "/manufacturer").value_or(""),
                               attribute(device + "/product").value_or(""),
                               attribute(device + "/serial").value_or("")};
        }
    }
    return std::nullopt;
}

// Unix98 pseudo-terminal slaves (/dev/pts/N) have the majors 136 to 143.
bool isPseudoTerminal(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode) && major(st.st_rdev) >= 136 &&
           major(st.st_rdev) <= 143;
}

// The links in `directory` that lead to `device`, by name.
std::vector<std::string> linksTo(const std::string& device, const std::string& directory) {
    std::vector<std::string> links;
    for (const std::string& name : directoryNames(directory)) {
        const std::string link = directory + "/" + name;
        if (name[0] != '.' && resolved(link) == device) {
            links.push_back(link);
        }
    }
    std::sort(links.begin(), links.end());
    return links;
}

}  // namespace

PortDescription describePort(const std::string& port, const PortListSources& sources) {
    PortDescription d;
    d.port = port;
    const PortAddress address = PortAddress::of(port);
    std::string path = address.device();
    const int number = address.comNumber();
    if (number != 0 && path == defaultDeviceForCom(number)) {
        path = sources.dev + path.substr(std::string("/dev").size());  // as presentPorts sees it
    }
    if (address.isNetwork()) {
        d.device = path;  // a network port: what stands behind it is known only by connecting
        return d;
    }
    d.device = resolved(path);
    if (d.device.empty()) {
        d.device = path;  // not there: nothing more to tell
        return d;
    }
    // The ttys sysfs knows stand directly in /dev; a pseudo-terminal has none.
    const std::string sysfs = resolved(sources.sysfs);
    const std::string tty = sources.sysfs + "/class/tty/" + lastComponent(d.device);
    if (parentOf(d.device) == resolved(sources.dev) && exists(tty + "/device")) {
        const std::string device = resolved(tty + "/device");
        d.driver = driverOf(device, sysfs);
        d.usb = usbOf(device, sysfs);
        const auto latency = attribute(device + "/latency_timer");
        if (latency && !latency->empty() && latency->size() < 6 &&
            latency->find_first_not_of("0123456789") == std::string::npos) {
            d.latencyTimerMs = std::atoi(latency->c_str());
        }
    } else if (isPseudoTerminal(d.device)) {
        d.driver = "pty";
    }
    d.byId = linksTo(d.device, sources.dev + "/serial/by-id");
    d.byPath = linksTo(d.device, sources.dev + "/serial/by-path");
    return d;
}

}  // namespace stela
