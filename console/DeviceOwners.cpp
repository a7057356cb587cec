#include "console/DeviceOwners.h"

#include <dirent.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <vector>

namespace stela {
namespace {

// The entries of a directory, without "." and "..".
std::vector<std::string> entries(const std::string& directory) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(directory.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        ::closedir(dir);
    }
    return names;
}

bool isNumber(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// Whether `link` (an entry of /proc/<pid>/fd) names the same file as `device`.
bool refersTo(const std::string& link, const struct stat& device) {
    struct stat st {};
    return ::stat(link.c_str(), &st) == 0 && S_ISCHR(st.st_mode) && st.st_rdev == device.st_rdev;
}

}  // namespace

std::string deviceGroup(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return {};
    }
    std::vector<char> buffer(4096);
    group entry{};
    group* found = nullptr;
    if (::getgrgid_r(st.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found) {
        return {};
    }
    return found->gr_name;
}

std::optional<DeviceHolder> deviceHolder(const std::string& path) {
    struct stat device {};
    if (::stat(path.c_str(), &device) != 0 || !S_ISCHR(device.st_mode)) {
        return std::nullopt;
    }
    const std::string self = std::to_string(::getpid());
    for (const std::string& pid : entries("/proc")) {
        if (!isNumber(pid) || pid == self) {
            continue;
        }
        const std::string fds = "/proc/" + pid + "/fd";
        for (const std::string& fd : entries(fds)) {
            if (refersTo(fds + "/" + fd, device)) {
                std::string command;
                std::getline(std::ifstream("/proc/" + pid + "/comm"), command);
                return DeviceHolder{std::atoi(pid.c_str()), command};
            }
        }
    }
    return std::nullopt;
}

}  // namespace stela
