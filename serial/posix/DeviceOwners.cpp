#include "serial/DeviceOwners.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "os/DirectoryListing.h"
#include "posix/UucpLock.h"

namespace stela {
namespace {

bool isNumber(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// Whether `link` (an entry of /proc/<pid>/fd) names the same file as `device`.
bool refersTo(const std::string& link, const struct stat& device) {
    struct stat st {};
    return ::stat(link.c_str(), &st) == 0 && S_ISCHR(st.st_mode) && st.st_rdev == device.st_rdev;
}

std::string commandOf(int pid) {
    std::string command;
    std::getline(std::ifstream("/proc/" + std::to_string(pid) + "/comm"), command);
    return command;
}

std::string userName(uid_t uid) {
    std::vector<char> buffer(4096);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
        return found->pw_name;
    }
    return std::to_string(uid);
}

std::string groupName(gid_t gid) {
    std::vector<char> buffer(4096);
    group entry{};
    group* found = nullptr;
    if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
        return found->gr_name;
    }
    return std::to_string(gid);
}

// The process holding a flock on the node, from /proc/locks, whose lines read
// "3: FLOCK  ADVISORY  WRITE 4321 00:19:5 0 EOF": the pid, then the file
// system's device (hexadecimal major:minor) and the inode. Lines with "->" are
// processes waiting for a lock, not holding one.
int flockHolder(const struct stat& node) {
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::string id, type, kind, access, file;
        long pid = 0;
        fields >> id >> type >> kind >> access >> pid >> file;
        unsigned fileMajor = 0, fileMinor = 0;
        unsigned long long inode = 0;
        if (fields && type == "FLOCK" && pid > 0 &&
            std::sscanf(file.c_str(), "%x:%x:%llu", &fileMajor, &fileMinor, &inode) == 3 &&
            fileMajor == major(node.st_dev) && fileMinor == minor(node.st_dev) &&
            inode == node.st_ino) {
            return static_cast<int>(pid);
        }
    }
    return 0;
}

// A process other than this one with the device open.
std::optional<DeviceHolder> openIn(const struct stat& device) {
    const std::string self = std::to_string(::getpid());
    for (const std::string& pid : directoryNames("/proc")) {
        if (!isNumber(pid) || pid == self) {
            continue;
        }
        const std::string fds = "/proc/" + pid + "/fd";
        for (const std::string& fd : directoryNames(fds)) {
            if (refersTo(fds + "/" + fd, device)) {
                const int number = std::stoi(pid);
                return DeviceHolder{DeviceHolder::How::Open, number, commandOf(number), {}};
            }
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<DeviceAccess> deviceAccess(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return DeviceAccess{userName(st.st_uid), groupName(st.st_gid), st.st_mode};
}

std::string modeText(unsigned mode) {
    const char type = S_ISCHR(mode)    ? 'c'
                      : S_ISBLK(mode)  ? 'b'
                      : S_ISDIR(mode)  ? 'd'
                      : S_ISLNK(mode)  ? 'l'
                      : S_ISFIFO(mode) ? 'p'
                      : S_ISSOCK(mode) ? 's'
                                       : '-';
    std::string text(1, type);
    for (int shift = 6; shift >= 0; shift -= 3) {
        text += (mode >> shift) & 4 ? 'r' : '-';
        text += (mode >> shift) & 2 ? 'w' : '-';
        text += (mode >> shift) & 1 ? 'x' : '-';
    }
    return text;
}

std::optional<DeviceHolder> deviceHolder(const std::string& path) {
    struct stat device {};
    if (::stat(path.c_str(), &device) != 0) {
        return std::nullopt;
    }
    if (const int pid = flockHolder(device)) {
        const std::string command = commandOf(pid);
        if (!command.empty()) {  // else gone meanwhile, or its lock outlived it in a child
            return DeviceHolder{DeviceHolder::How::Flock, pid, command, {}};
        }
    }
    if (const auto lock = UucpLock::holder(path)) {
        return DeviceHolder{DeviceHolder::How::LockFile, lock->pid,
                            lock->pid > 0 ? commandOf(lock->pid) : std::string(), lock->lockPath};
    }
    if (S_ISCHR(device.st_mode)) {
        return openIn(device);
    }
    return std::nullopt;
}

}  // namespace stela
