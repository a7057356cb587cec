// stela beside a real minicom on the same line, in real time: whoever comes
// second is turned away, and told who holds the port.
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "posix/UucpLock.h"
#include "tests/support/Minicom.h"
#include "tests/support/ScopedConfigHome.h"
#include "tests/support/ServedSign.h"
#include "tests/workflows/ConsoleFixture.h"
#include "workflows/Console.h"
#include "workflows/Notices.h"
#include "workflows/SignPort.h"

namespace stela {
namespace {

class MinicomTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::Minicom::installed()) {
            GTEST_SKIP() << "minicom is not installed (scripts/deps installs it)";
        }
        if (access(UucpLock::kFolder, W_OK) != 0) {
            GTEST_SKIP() << UucpLock::kFolder << " is not writable here";
        }
        for (int n = 1; n <= 255; ++n) {
            home.linkCom(n, home.path() + "/missing");  // no device of the machine takes part
        }
        sign.start();
        home.linkCom(3, sign.devicePath());
        loadSignPortSettings(port);
    }

    test::ScopedConfigHome home;
    test::ServedSign sign;
    TComPort port;
};

TEST_F(MinicomTest, TheSearchSkipsAPortMinicomHoldsAndNamesMinicom) {
    test::Minicom minicom(sign.devicePath(), home.path());
    ASSERT_TRUE(minicom.waitForItsLock(5000)) << minicom.output(0);
    const std::string inUse = sign.devicePath() + " занят программой minicom (pid " +
                              std::to_string(minicom.pid()) + ").";

    test::RecordingObserver observer;
    SteadyClock clock;
    Console console(observer, port, clock);
    EXPECT_EQ(searchNotice(console.boardSearch()),
              "Табло не найдено. Проверьте кабель подключения табло\n" + inUse);
}

TEST_F(MinicomTest, MinicomStartedWhileStelaHoldsThePortIsRefusedAndNoLockOutlivesStela) {
    const std::string lockPath = UucpLock::lockPaths(sign.devicePath()).front();
    port.SetPort("COM3");
    port.Open();
    {
        test::Minicom minicom(sign.devicePath(), home.path());
        EXPECT_NE(minicom.exitStatus(5000), 0);
        EXPECT_NE(minicom.output(1000).find("Device " + sign.devicePath() + " is locked."),
                  std::string::npos)
            << minicom.output(0);
    }
    EXPECT_TRUE(std::filesystem::exists(lockPath));
    port.Close();
    EXPECT_FALSE(std::filesystem::exists(lockPath));
}

}  // namespace
}  // namespace stela
