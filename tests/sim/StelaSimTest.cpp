// stela-sim itself, run as a process, answering over a real pseudo-terminal.
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>

#include "serial/PortNames.h"
#include "sim/tool/ComLink.h"
#include "tests/support/ScopedConfigHome.h"

namespace stela {
namespace {

using Clock = std::chrono::steady_clock;

// Reads from `fd` until `want` bytes came or `limit` passed.
std::string readFor(int fd, std::size_t want, std::chrono::milliseconds limit) {
    std::string got;
    const auto end = Clock::now() + limit;
    while (got.size() < want && Clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        if (poll(&p, 1, static_cast<int>(left.count()) + 1) > 0) {
            char buf[256];
            const ssize_t n = read(fd, buf, sizeof buf);
            if (n <= 0) {
                break;
            }
            got.append(buf, static_cast<std::size_t>(n));
        }
    }
    return got;
}

class SimProcess {
public:
    // `outputRoom`: shrinks the pipe that carries stela-sim's output (0: as it comes).
    explicit SimProcess(std::vector<std::string> args, int outputRoom = 0) {
        int out[2];
        if (pipe(out) != 0) {
            throw std::runtime_error("pipe");
        }
        if (outputRoom > 0) {
            fcntl(out[1], F_SETPIPE_SZ, outputRoom);
        }
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            std::vector<char*> argv{const_cast<char*>(STELA_SIM_PATH)};
            for (std::string& a : args) {
                argv.push_back(a.data());
            }
            argv.push_back(nullptr);
            execv(STELA_SIM_PATH, argv.data());
            _exit(127);
        }
        close(out[1]);
        stdout_ = out[0];
    }
    ~SimProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(stdout_);
    }

    std::string firstLine() {
        std::string line;
        while (line.find('\n') == std::string::npos) {
            const std::string more = readFor(stdout_, 1, std::chrono::seconds(5));
            if (more.empty()) {
                break;
            }
            line += more;
        }
        rest_ = line.substr(line.find('\n') + 1);
        return line.substr(0, line.find('\n'));
    }

    // Sends `signal` and returns the exit status (or -1 when it did not end in time).
    int stop(int signal) {
        kill(pid_, signal);
        return exitStatus();
    }

    int exitStatus() {
        for (int i = 0; i < 500; ++i) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }

    std::string remainingOutput() {
        return rest_ + readFor(stdout_, 1 << 16, std::chrono::seconds(1));
    }

private:
    pid_t pid_ = -1;
    int stdout_ = -1;
    std::string rest_;
};

int openRaw(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios tio{};
    if (fd >= 0 && tcgetattr(fd, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(fd, TCSANOW, &tio);
    }
    return fd;
}

std::string exchange(int fd, const std::string& frame, std::size_t replySize) {
    tcflush(fd, TCIOFLUSH);
    EXPECT_EQ(write(fd, frame.data(), frame.size()), static_cast<ssize_t>(frame.size()));
    return readFor(fd, replySize, std::chrono::seconds(2));
}

TEST(StelaSim, AnswersReadAndWriteOverAPseudoTerminalAndCleansUp) {
    test::ScopedConfigHome home;
    SimProcess sim({"--com", "7", "--delay", "1", "--set", "8=123420"});
    const std::string path = sim.firstLine();
    ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
    const std::string link = dosdevicesDirectory() + "/com7";
    EXPECT_EQ(readLinkTarget(link), path);

    const int fd = openRaw(path);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(exchange(fd, "R8E", 14), "T8123420A0OK1F");
    EXPECT_EQ(exchange(fd, "W0456731E20", 5), "WOK20");
    EXPECT_EQ(exchange(fd, "R0E", 14), "T0456731A0OK13");
    close(fd);

    // Closing our side leaves it serving: open it again.
    const int again = openRaw(path);
    ASSERT_GE(again, 0);
    EXPECT_EQ(exchange(again, "LA", 2), "LA");
    close(again);

    EXPECT_EQ(sim.stop(SIGTERM), 0);
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    const std::string log = sim.remainingOutput();
    EXPECT_NE(log.find("] rx W0456731E20\n"), std::string::npos) << log;
    EXPECT_NE(log.find("] tx WOK20\n"), std::string::npos) << log;
}

TEST(StelaSim, LeavesAForeignComLinkAlone) {
    test::ScopedConfigHome home;
    home.linkCom(5, "/dev/ttyUSB0");
    SimProcess sim({"--com", "5", "--quiet"});
    sim.firstLine();
    EXPECT_EQ(sim.exitStatus(), 1);
    EXPECT_EQ(readLinkTarget(dosdevicesDirectory() + "/com5"), "/dev/ttyUSB0");
}

TEST(StelaSim, KeepsAnsweringWhenNobodyReadsItsLog) {
    SimProcess sim({"--delay", "0"}, 4096);
    const std::string path = sim.firstLine();
    const int fd = openRaw(path);
    ASSERT_GE(fd, 0);
    std::string many;
    for (int i = 0; i < 150; ++i) {
        many += "LA";
    }
    EXPECT_EQ(exchange(fd, many, many.size()),
              many);  // 300 log lines, far more than the pipe holds
    EXPECT_EQ(exchange(fd, "R0E", 14), "T0----10A0OK10");
    close(fd);
    EXPECT_EQ(sim.stop(SIGINT), 0);
}

TEST(ComLinkTest, ReplacesAStalePseudoTerminalLinkAndRemovesOnlyItsOwn) {
    test::ScopedConfigHome home;
    home.linkCom(2, "/dev/pts/999");
    const std::string path = dosdevicesDirectory() + "/com2";
    {
        ComLink link(2, "/dev/pts/5");
        EXPECT_EQ(readLinkTarget(path), "/dev/pts/5");
    }
    EXPECT_FALSE(std::filesystem::is_symlink(path));
    {
        ComLink link(2, "/dev/pts/5");
        home.linkCom(2, "/dev/pts/6");  // someone else took the name meanwhile
    }
    EXPECT_EQ(readLinkTarget(path), "/dev/pts/6");
}

}  // namespace
}  // namespace stela
