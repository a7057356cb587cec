#pragma once

#include <optional>
#include <string>

namespace stela {

// What the system can tell about who may use a device and who is using it, for
// messages that help an operator with a port that will not open. Linux tells
// from the device node, /proc and the lock files; Windows tells nothing (a COM
// port opens exclusively, and who holds it is not said): nullopt and "" there.

// The device node's owner, group (names, or numbers where the system has no
// name) and mode bits; nullopt when it cannot be told.
struct DeviceAccess {
    std::string owner;
    std::string group;
    unsigned mode = 0;  // st_mode
};
std::optional<DeviceAccess> deviceAccess(const std::string& path);

// The mode as ls shows it: "crw-rw----".
std::string modeText(unsigned mode);

struct DeviceHolder {
    enum class How {
        Flock,     // holds the device's flock, as stela does
        LockFile,  // named by the device's UUCP lock file, as minicom writes it
        Open,      // merely has the device open
    };
    How how = How::Open;
    int pid = 0;          // 0: a lock file that names no process
    std::string command;  // as /proc/<pid>/comm gives it ("minicom"); "" when unknown
    std::string lockPath;
};

// Who keeps `path` from us, in the order that tells most: the holder of its
// flock (/proc/locks, by the device node's inode), the process its lock file
// names, and only then another process that has it open (heldOpen, Linux's:
// posix/DeviceOwnersPosix.h).
std::optional<DeviceHolder> deviceHolder(const std::string& path);

}  // namespace stela
