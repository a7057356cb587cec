#include "posix/UucpLock.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "i18n/Translate.h"
#include "os/FileDescriptor.h"

namespace stela {
namespace {

// The name below /dev with '/' as '_'; outside /dev, the last component.
std::string lockName(const std::string& path) {
    if (path.rfind("/dev/", 0) != 0) {
        return path.substr(path.find_last_of('/') + 1);
    }
    std::string name = path.substr(5);
    for (char& c : name) {
        if (c == '/') {
            c = '_';
        }
    }
    return name;
}

std::string resolved(const std::string& path) {
    char target[PATH_MAX];
    return ::realpath(path.c_str(), target) != nullptr ? std::string(target) : path;
}

bool alive(int pid) {
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// Ten ASCII characters and a newline ("     12345\n"), though any width and
// blanks around the digits are taken; anything else of exactly four bytes is a
// binary pid. 0 when neither.
int parsePid(const char* bytes, std::size_t size) {
    std::size_t i = 0;
    while (i < size && bytes[i] == ' ') {
        ++i;
    }
    long long pid = 0;
    std::size_t digits = 0;
    for (; i < size && bytes[i] >= '0' && bytes[i] <= '9' && digits < 10; ++i, ++digits) {
        pid = pid * 10 + (bytes[i] - '0');
    }
    while (i < size && (bytes[i] == ' ' || bytes[i] == '\n')) {
        ++i;
    }
    if (digits > 0 && i == size) {
        return pid <= INT_MAX ? static_cast<int>(pid) : 0;
    }
    if (size == 4) {
        int binary = 0;
        std::memcpy(&binary, bytes, sizeof binary);
        return binary > 0 ? binary : 0;
    }
    return 0;
}

// The pid a lock file holds: nullopt when there is no such file, 0 when what is
// there names no pid. The folder is writable by anyone: whatever stands at the
// name is read without following a link or waiting on a pipe.
std::optional<int> lockPid(const std::string& path) {
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) {
        const bool none = errno == ENOENT || errno == ENOTDIR;  // ENOTDIR: no folder
        return none ? std::nullopt : std::optional<int>(0);
    }
    struct stat st {};
    char bytes[32];
    ssize_t n = -1;
    if (::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode)) {
        n = ::read(fd.get(), bytes, sizeof bytes);
    }
    return n > 0 ? parsePid(bytes, static_cast<std::size_t>(n)) : 0;
}

// A lock nobody holds any more: its process is gone, or it names this one (a
// crash of an earlier run that had our pid). Taken as late as possible before
// removing it, since another program may lock the device meanwhile.
bool stale(const std::string& path) {
    const std::optional<int> pid = lockPid(path);
    return pid && *pid > 0 && (*pid == ::getpid() || !alive(*pid));
}

}  // namespace

std::vector<std::string> UucpLock::lockPaths(const std::string& devicePath,
                                             const std::string& folder) {
    std::vector<std::string> paths{folder + "/LCK.." + lockName(resolved(devicePath))};
    const std::string asGiven = folder + "/LCK.." + lockName(devicePath);
    if (asGiven != paths.front()) {
        paths.push_back(asGiven);
    }
    return paths;
}

std::optional<UucpLock::Holder> UucpLock::holder(const std::string& devicePath,
                                                 const std::string& folder) {
    for (const std::string& path : lockPaths(devicePath, folder)) {
        const std::optional<int> pid = lockPid(path);
        if (pid && (*pid == 0 || (*pid != ::getpid() && alive(*pid)))) {
            return Holder{path, *pid};
        }
    }
    return std::nullopt;
}

int UucpLock::acquire(const std::string& devicePath) {
    release();
    trouble_.clear();
    const std::vector<std::string> paths = lockPaths(devicePath, folder_);
    if (holder(devicePath, folder_)) {
        return EBUSY;
    }
    for (const std::string& path : paths) {
        if (stale(path) && ::unlink(path.c_str()) != 0 && errno != ENOENT) {
            giveUp(path, errno);
            return 0;
        }
    }
    return link(paths.front()) ? 0 : EBUSY;
}

// Makes our lock whole under a temporary name, then links it into place: link()
// fails with EEXIST when another program was first. False when that program holds it.
bool UucpLock::link(const std::string& lockPath) {
    std::string temp = folder_ + "/LTMP.XXXXXX";
    FileDescriptor fd(::mkstemp(temp.data()));
    if (!fd.valid()) {
        giveUp(folder_, errno);
        return true;
    }
    char pid[16];
    const int size = std::snprintf(pid, sizeof pid, "%10d\n", static_cast<int>(::getpid()));
    // Readable by all, so that programs run by other users see who holds the port.
    const bool written = ::write(fd.get(), pid, size) == size && ::fchmod(fd.get(), 0644) == 0;
    const int writeError = errno;
    fd.reset();
    bool free = true;
    if (!written) {
        giveUp(temp, writeError);
    } else {
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (::link(temp.c_str(), lockPath.c_str()) == 0) {
                held_ = lockPath;
                break;
            }
            if (errno != EEXIST) {
                giveUp(lockPath, errno);
                break;
            }
            if (!stale(lockPath)) {
                free = false;
                break;
            }
            ::unlink(lockPath.c_str());
        }
    }
    ::unlink(temp.c_str());
    return free;
}

void UucpLock::release() {
    if (held_.empty()) {
        return;
    }
    if (lockPid(held_) == ::getpid()) {
        ::unlink(held_.c_str());
    }
    held_.clear();
}

void UucpLock::giveUp(const std::string& what, int error) {
    trouble_ = what + ": " + systemErrorMeaning(error);
}

}  // namespace stela
