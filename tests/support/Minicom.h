#pragma once

#include <sys/types.h>

#include <string>

namespace stela::test {

// Debian's minicom on a device, in a terminal of its own, as a technician runs
// it: `minicom -D <device> -b 19200`. It marks the device busy with its UUCP
// lock file; it takes no flock.
class Minicom {
public:
    // Whether minicom is installed (scripts/deps installs it).
    static bool installed();

    // Starts minicom with `home` as its HOME, so no file of the user's is read.
    Minicom(const std::string& device, const std::string& home);
    ~Minicom();  // stops it, and removes the lock file a stopped minicom leaves
    Minicom(const Minicom&) = delete;
    Minicom& operator=(const Minicom&) = delete;

    pid_t pid() const { return pid_; }
    // Waits up to `ms` for minicom's lock file to name it; false when it does not.
    bool waitForItsLock(int ms) const;
    // What minicom wrote to its terminal until it exited or `ms` passed.
    std::string output(int ms);
    // The exit status once minicom has ended within `ms`; -1 while it runs.
    int exitStatus(int ms);

private:
    std::string device_;
    pid_t pid_ = -1;
    int terminal_ = -1;
    std::string output_;
    bool exited_ = false;
    int status_ = -1;
};

}  // namespace stela::test
