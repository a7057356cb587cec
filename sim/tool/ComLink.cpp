#include "sim/tool/ComLink.h"

#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "serial/PortNames.h"

namespace stela {

std::string readLinkTarget(const std::string& path) {
    char target[PATH_MAX];
    const ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
    return n > 0 ? std::string(target, static_cast<std::size_t>(n)) : std::string();
}

ComLink::ComLink(int com, std::string device) : device_(std::move(device)) {
    const std::string dir = dosdevicesDirectory();
    link_ = dir + "/com" + std::to_string(com);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        throw std::runtime_error("cannot create " + dir + ": " + ec.message());
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (symlink(device_.c_str(), link_.c_str()) == 0) {
            return;
        }
        const int error = errno;
        const std::string existing = readLinkTarget(link_);
        if (error != EEXIST || attempt > 0 || existing.rfind("/dev/pts/", 0) != 0) {
            const std::string what = error != EEXIST    ? std::strerror(error)
                                     : existing.empty() ? "it exists and is not a link"
                                                        : "it already points to " + existing;
            throw std::runtime_error("cannot register COM" + std::to_string(com) + " as " + link_ +
                                     ": " + what);
        }
        unlink(link_.c_str());  // a pseudo-terminal's link from an earlier run
    }
}

ComLink::~ComLink() {
    if (readLinkTarget(link_) == device_) {
        unlink(link_.c_str());
    }
}

}  // namespace stela
