// The lock files other serial programs honour: written as minicom writes them,
// in a folder of the test's own, then through the port object in /var/lock.
#include "posix/UucpLock.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "serial/TComPort.h"
#include "posix/PosixComDevice.h"
#include "tests/serial/Raised.h"
#include "tests/support/PtyPair.h"
#include "tests/support/ScopedConfigHome.h"

namespace stela {
namespace {

namespace fs = std::filesystem;

// A child process that waits until it is killed at destruction.
class LiveProcess {
public:
    LiveProcess() {
        pid_ = fork();
        if (pid_ == 0) {
            pause();
            _exit(0);
        }
    }
    ~LiveProcess() {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    int pid() const { return pid_; }

private:
    pid_t pid_;
};

// The pid of a process that has ended.
int deadPid() {
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    return child;
}

std::string ascii(int pid) {
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", pid);
    return text;
}

std::string binary(int pid) {
    return std::string(reinterpret_cast<const char*>(&pid), sizeof pid);
}

std::string contentOf(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

class UucpLockTest : public ::testing::Test {
protected:
    test::ScopedConfigHome home;
    const std::string folder = home.path() + "/lock";
    const std::string device = "/dev/ttyUSB9";
    const std::string lockPath = folder + "/LCK..ttyUSB9";

    void SetUp() override { fs::create_directory(folder); }
    void writeLock(const std::string& content) const {
        std::ofstream(lockPath, std::ios::binary) << content;
    }
};

TEST_F(UucpLockTest, ALiveHolderMakesThePortBusyAndAStaleLockMakesWayForOurs) {
    LiveProcess minicom;
    const struct {
        const char* what;
        std::string content;
        int result;
    } cases[] = {
        {"ASCII, live", ascii(minicom.pid()), EBUSY},
        {"binary, live", binary(minicom.pid()), EBUSY},
        {"being written", "", EBUSY},
        {"no pid", "minicom\n", EBUSY},
        {"ASCII, dead", ascii(deadPid()), 0},
        {"binary, dead", binary(deadPid()), 0},
        {"short ASCII, dead", std::to_string(deadPid()) + "\n", 0},
        {"an earlier run with our pid", ascii(getpid()), 0},
        {"none", "", 0},
    };
    for (const auto& c : cases) {
        if (std::string(c.what) != "none") {
            writeLock(c.content);
        }
        UucpLock lock(folder);
        EXPECT_EQ(lock.acquire(device), c.result) << c.what;
        EXPECT_EQ(contentOf(lockPath), c.result == 0 ? ascii(getpid()) : c.content) << c.what;
        EXPECT_EQ(lock.folderTrouble(), "") << c.what;
        lock.release();
        EXPECT_EQ(fs::exists(lockPath), c.result != 0) << c.what;
        fs::remove(lockPath);
    }
    EXPECT_EQ(fs::directory_iterator(folder), fs::directory_iterator()) << "no temporary file left";
}

// The folder is anyone's to write: whatever stands at the name is read without
// waiting, and a pipe names no pid.
TEST_F(UucpLockTest, APipeAtTheLocksNameMarksTheDeviceBusyWithoutAHang) {
    ASSERT_EQ(mkfifo(lockPath.c_str(), 0644), 0);
    const auto holder = UucpLock::holder(device, folder);
    ASSERT_TRUE(holder);
    EXPECT_EQ(holder->pid, 0);
    EXPECT_EQ(holder->lockPath, lockPath);
}

TEST_F(UucpLockTest, OursIsRemovedAtReleaseUnlessAnotherProgramTookItOver) {
    UucpLock lock(folder);
    ASSERT_EQ(lock.acquire(device), 0);
    LiveProcess other;
    writeLock(ascii(other.pid()));
    lock.release();
    EXPECT_EQ(contentOf(lockPath), ascii(other.pid()));
}

TEST_F(UucpLockTest, AFolderThatCannotBeUsedLeavesTheDeviceToFlockAlone) {
    UucpLock missing(folder + "/missing");
    EXPECT_EQ(missing.acquire(device), 0);
    EXPECT_EQ(missing.folderTrouble(), folder + "/missing: No such file or directory");

    std::ofstream(home.path() + "/file");
    UucpLock notAFolder(home.path() + "/file");
    EXPECT_EQ(notAFolder.acquire(device), 0);
    EXPECT_EQ(notAFolder.folderTrouble(), home.path() + "/file: Not a directory");
}

TEST_F(UucpLockTest, TheLockIsNamedAfterTheDeviceAndAfterTheLinkItWasGiven) {
    test::PtyPair pty;
    const std::string pts = pty.slavePath().substr(std::string("/dev/pts/").size());
    fs::create_symlink(pty.slavePath(), home.path() + "/sign");
    const struct {
        std::string path;
        std::vector<std::string> names;
    } cases[] = {
        {"/dev/ttyUSB0", {"LCK..ttyUSB0"}},
        {"/dev/serial/by-id/usb-FTDI-if00", {"LCK..serial_by-id_usb-FTDI-if00"}},
        {pty.slavePath(), {"LCK..pts_" + pts}},
        {home.path() + "/sign", {"LCK..pts_" + pts, "LCK..sign"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> expected;
        for (const std::string& name : c.names) {
            expected.push_back("/var/lock/" + name);
        }
        EXPECT_EQ(UucpLock::lockPaths(c.path), expected) << c.path;
    }
}

// Through the port object, in the folder minicom and cu look in.
class PortLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (access(UucpLock::kFolder, W_OK) != 0) {
            GTEST_SKIP() << UucpLock::kFolder << " is not writable here";
        }
    }
    test::PtyPair pty;
    const std::string lockPath = UucpLock::lockPaths(pty.slavePath()).front();
};

TEST_F(PortLockTest, AnOpenPortHoldsALockFileUntilItCloses) {
    TComPort port(std::make_unique<PosixComDevice>());
    port.SetPort(pty.slavePath());
    port.Open();
    EXPECT_EQ(contentOf(lockPath), ascii(getpid()));
    EXPECT_EQ(port.LockFolderTrouble(), "");
    port.Close();
    EXPECT_FALSE(fs::exists(lockPath));

    LiveProcess minicom;
    std::ofstream(lockPath) << ascii(minicom.pid());
    const EComPort busy = test::raised([&] { port.Open(); });
    EXPECT_EQ(busy.Code(), EComPort::kOpenFailed);
    EXPECT_EQ(busy.SystemCode(), EBUSY);
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(contentOf(lockPath), ascii(minicom.pid()));
    fs::remove(lockPath);
}

TEST_F(PortLockTest, ALockLeftByAKilledRunIsTakenOverByTheNext) {
    const pid_t killed = fork();
    if (killed == 0) {
        TComPort port(std::make_unique<PosixComDevice>());
        port.SetPort(pty.slavePath());
        port.Open();
        pause();
    }
    for (int i = 0; i < 500 && contentOf(lockPath) != ascii(killed); ++i) {
        usleep(10000);
    }
    ASSERT_EQ(contentOf(lockPath), ascii(killed));
    kill(killed, SIGKILL);
    waitpid(killed, nullptr, 0);

    TComPort port(std::make_unique<PosixComDevice>());
    port.SetPort(pty.slavePath());
    port.Open();
    EXPECT_EQ(contentOf(lockPath), ascii(getpid()));
    port.Close();
    EXPECT_FALSE(fs::exists(lockPath));
}

}  // namespace
}  // namespace stela
