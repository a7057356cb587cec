#pragma once

#include <string>

namespace stela {

// Registers a device as COMn for stela: the link comN in the dosdevices
// directory, pointing at the device. A link that points to a pseudo-terminal
// (left behind by an earlier run) is replaced; any other existing entry is an
// error, so a link the user made to a real adapter is never overwritten. The
// destructor removes the link if it still points at our device.
// Throws std::runtime_error with a message for the user.
class ComLink {
public:
    ComLink(int com, std::string device);
    ~ComLink();
    ComLink(const ComLink&) = delete;
    ComLink& operator=(const ComLink&) = delete;

    const std::string& linkPath() const { return link_; }

private:
    std::string link_;
    std::string device_;
};

// The target of a symlink, or "" when `path` is none.
std::string readLinkTarget(const std::string& path);

}  // namespace stela
