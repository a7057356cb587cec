#include "posix/DeviceOwnersPosix.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string_view>
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

// The index of a pseudo-terminal slave (/dev/pts/N: majors 136 to 143), else -1.
int ptyIndex(const struct stat& device) {
    const unsigned number = major(device.st_rdev);
    return number >= 136 && number <= 143 ? int((number - 136) * 256 + minor(device.st_rdev)) : -1;
}

// The pseudo-terminal a master descriptor serves, from its fdinfo's "tty-index:";
// -1 where the kernel does not tell (older kernels): any one, then.
int masterIndex(const std::string& fdinfo) {
    std::ifstream info(fdinfo);
    for (std::string line; std::getline(info, line);) {
        if (line.rfind("tty-index:", 0) == 0) {
            return std::atoi(line.c_str() + 10);
        }
    }
    return -1;
}

// What one process has open of a device and, for a pseudo-terminal, its master.
struct OpenFiles {
    bool device = false;
    bool master = false;
};

// Only descriptors that lead below /dev are looked at more closely: readlink
// alone passes over the files, sockets and pipes that make up most of them.
OpenFiles openFilesOf(const std::string& pid, const struct stat& device) {
    OpenFiles files;
    const int index = ptyIndex(device);
    const std::string fds = "/proc/" + pid + "/fd/";
    for (const std::string& fd : directoryNames(fds)) {
        char target[32];
        const ssize_t size = ::readlink((fds + fd).c_str(), target, sizeof target);
        if (size < 0 && errno == EACCES) {
            break;  // a process we may not look into: so are all its descriptors
        }
        const std::string_view path(target, size > 0 ? std::size_t(size) : 0);
        if (path.rfind("/dev/", 0) != 0) {
            continue;
        }
        if (path == "/dev/ptmx" || path == "/dev/pts/ptmx") {
            const int served = index < 0 ? index : masterIndex("/proc/" + pid + "/fdinfo/" + fd);
            files.master = files.master || (index >= 0 && (served < 0 || served == index));
        } else {
            files.device = files.device || refersTo(fds + fd, device);
        }
    }
    return files;
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
    return heldOpen(path);
}

std::optional<DeviceHolder> heldOpen(const std::string& path) {
    struct stat device {};
    if (::stat(path.c_str(), &device) != 0 || !S_ISCHR(device.st_mode)) {
        return std::nullopt;
    }
    const std::string self = std::to_string(::getpid());
    for (const std::string& pid : directoryNames("/proc")) {
        if (!isNumber(pid) || pid == self) {
            continue;
        }
        const OpenFiles files = openFilesOf(pid, device);
        if (files.device && !files.master) {
            const int number = std::stoi(pid);
            return DeviceHolder{DeviceHolder::How::Open, number, commandOf(number), {}};
        }
    }
    return std::nullopt;
}

}  // namespace stela
