#pragma once

#include <optional>
#include <string>
#include <vector>

namespace stela {

// The UUCP lock file by which minicom, cu and other serial programs mark a port
// busy: <folder>/LCK..<name>, where <name> is the device's path below /dev with
// '/' as '_' (LCK..ttyUSB0, LCK..pts_3). It holds the holder's pid as ten ASCII
// characters and a newline; some older programs write the pid as four binary bytes.
// flock alone keeps out only programs that take it too; these programs look here.
class UucpLock {
public:
    static constexpr const char* kFolder = "/var/lock";

    // What marks a device busy: the lock file, and the live process other than
    // this one that it names (0 when it names none that can be read).
    struct Holder {
        std::string lockPath;
        int pid = 0;
    };

    explicit UucpLock(std::string folder = kFolder) : folder_(std::move(folder)) {}
    ~UucpLock() { release(); }
    UucpLock(const UucpLock&) = delete;
    UucpLock& operator=(const UucpLock&) = delete;

    // The lock files that stand for a device: the name of the device the path
    // leads to, and the path's own name when it differs (a program given a link
    // such as /dev/serial/by-id/... names its lock after that).
    static std::vector<std::string> lockPaths(const std::string& devicePath,
                                              const std::string& folder = kFolder);
    // The lock file that marks the device busy, if any: one naming a live process
    // other than this one, or one whose pid cannot be read (a program may be
    // writing it). One naming a dead process is stale: it marks nothing.
    static std::optional<Holder> holder(const std::string& devicePath,
                                        const std::string& folder = kFolder);

    // Takes the device's lock: 0, or EBUSY when holder() names one. Stale locks
    // are removed first; ours is made whole in a temporary file and linked into
    // place, so no program ever reads it half-written. A lock folder that is
    // missing or not writable fails nothing: no lock is taken and folderTrouble()
    // says why.
    int acquire(const std::string& devicePath);
    // Removes the lock acquire() made, if it still names this process.
    void release();

    // Why the last acquire() took no lock ("" when it did), for instance
    // "/var/lock: No such file or directory".
    const std::string& folderTrouble() const { return trouble_; }

private:
    bool link(const std::string& lockPath);
    void giveUp(const std::string& what, int error);

    std::string folder_;
    std::string held_;  // the lock file we made, "" when none
    std::string trouble_;
};

}  // namespace stela
