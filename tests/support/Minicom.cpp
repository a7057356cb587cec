#include "tests/support/Minicom.h"

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "posix/UucpLock.h"

namespace stela::test {
namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point after(int ms) {
    return Clock::now() + std::chrono::milliseconds(ms);
}

}  // namespace

bool Minicom::installed() {
    return std::system("command -v minicom >/dev/null 2>&1") == 0;
}

Minicom::Minicom(const std::string& device, const std::string& home) : device_(device) {
    winsize size{24, 80, 0, 0};
    pid_ = forkpty(&terminal_, nullptr, nullptr, &size);
    if (pid_ == 0) {
        setenv("HOME", home.c_str(), 1);
        setenv("TERM", "xterm", 1);
        execlp("minicom", "minicom", "-D", device.c_str(), "-b", "19200", nullptr);
        _exit(127);
    }
}

Minicom::~Minicom() {
    if (exitStatus(0) < 0) {
        kill(pid_, SIGTERM);
        if (exitStatus(2000) < 0) {
            kill(pid_, SIGKILL);
            exitStatus(2000);
        }
    }
    // A minicom that is stopped leaves its lock behind.
    const std::string lock = UucpLock::lockPaths(device_).front();
    std::string pid;
    std::getline(std::ifstream(lock), pid);
    if (std::atoi(pid.c_str()) == pid_) {
        unlink(lock.c_str());
    }
    close(terminal_);
}

bool Minicom::waitForItsLock(int ms) const {
    for (const auto end = after(ms); Clock::now() < end;) {
        const auto holder = UucpLock::holder(device_);
        if (holder && holder->pid == pid_) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

std::string Minicom::output(int ms) {
    for (const auto end = after(ms); Clock::now() < end;) {
        pollfd p{terminal_, POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            break;
        }
        char buffer[4096];
        const ssize_t n = read(terminal_, buffer, sizeof buffer);
        if (n <= 0) {
            break;  // minicom has gone and its terminal hung up
        }
        output_.append(buffer, static_cast<std::size_t>(n));
    }
    return output_;
}

int Minicom::exitStatus(int ms) {
    for (const auto end = after(ms); !exited_;) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            exited_ = true;
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        } else if (Clock::now() >= end) {
            break;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    return exited_ ? status_ : -1;
}

}  // namespace stela::test
