#include "serial/PortList.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <set>

#include "os/DirectoryListing.h"
#include "os/FileDescriptor.h"
#include "serial/EComPort.h"
#include "serial/PortAddress.h"
#include "serial/PortNames.h"

namespace stela {
namespace {

// The names in a directory, without "." and "..". A directory that is missing
// gives none when `missingIsEmpty`; any other failure is the registry error.
std::vector<std::string> entries(const std::string& directory, bool missingIsEmpty) {
    std::vector<std::string> names;
    const int error = listDirectory(directory, names);
    if (error == ENOENT && missingIsEmpty) {
        return {};
    }
    if (error != 0) {
        throw EComPort(EComPort::kRegistryError, error);
    }
    return names;
}

// The path with every link resolved, or "" when it leads nowhere.
std::string canonical(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

std::string lastComponent(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

// A tty is a serial port when a driver stands behind its device. The 8250
// driver registers ports whether or not a UART is there, so its ports must show
// one; since Linux 6.5 every serial-core tty's device is the core's own "port",
// behind which such an 8250 may stand, and a real UART of any kind reports its type.
bool isSerialPort(const std::string& ttyDirectory, const std::string& devicePath,
                  const PortListSources& sources) {
    char target[PATH_MAX];
    const ssize_t n = ::readlink((ttyDirectory + "/device/driver").c_str(), target, PATH_MAX - 1);
    struct stat node;
    if (n <= 0 || ::stat(devicePath.c_str(), &node) != 0) {
        return false;
    }
    target[n] = '\0';
    const std::string driver = lastComponent(target);
    return (driver != "serial8250" && driver != "port") || sources.hasUart(devicePath);
}

bool lessIgnoringCase(const std::string& a, const std::string& b) {
    const auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [&](char x, char y) { return lower(x) < lower(y); });
}

}  // namespace

bool uartPresent(const std::string& devicePath) {
    const FileDescriptor fd(::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    serial_struct info{};
    return fd.valid() && ::ioctl(fd.get(), TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
}

std::vector<std::string> presentPorts(const PortListSources& sources) {
    std::set<std::string> names;
    std::set<int> overridden;      // COM numbers a link decides, whether it leads anywhere
    std::set<std::string> linked;  // devices a link leads to
    const std::string links = dosdevicesDirectory();
    for (const std::string& entry : entries(links, true)) {
        const int number = comNumber(entry);
        if (number == 0 || entry != "com" + std::to_string(number)) {
            continue;  // not a link the port names take, such as Wine's drive letters
        }
        overridden.insert(number);
        const std::string target = canonical(links + "/" + entry);
        if (!target.empty() || PortAddress::of(entry).isNetwork()) {
            names.insert("COM" + std::to_string(number));
            linked.insert(target);
        }
    }

    const std::string ttys = sources.sysfs + "/class/tty";
    for (const std::string& tty : entries(ttys, false)) {
        const std::string device = sources.dev + "/" + tty;
        if (!isSerialPort(ttys + "/" + tty, device, sources)) {
            continue;
        }
        const int number = comNumberForTty(tty);
        if (number != 0 && overridden.count(number) == 0) {
            names.insert("COM" + std::to_string(number));
        } else if (linked.count(canonical(device)) == 0) {
            names.insert(device);  // the port object takes a path as a name
        }
    }

    // Stable: names that differ only in case keep the set's order.
    std::vector<std::string> sorted(names.begin(), names.end());
    std::stable_sort(sorted.begin(), sorted.end(), lessIgnoringCase);
    return sorted;
}

}  // namespace stela
