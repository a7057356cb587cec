#pragma once

#include <optional>
#include <string>

namespace stela {

// What Linux can tell about who may use a device and who is using it, for
// messages that help an operator with a port that will not open.

// The name of the group that owns `path` ("dialout"), or "" when it cannot be told.
std::string deviceGroup(const std::string& path);

struct DeviceHolder {
    int pid = 0;
    std::string command;  // as /proc/<pid>/comm gives it ("minicom")
};

// A process other than this one that has `path` open, when /proc tells (a user
// sees only their own processes unless they are root).
std::optional<DeviceHolder> deviceHolder(const std::string& path);

}  // namespace stela
