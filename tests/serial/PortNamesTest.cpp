#include "serial/PortNames.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "tests/support/ScopedConfigHome.h"

namespace stela {
namespace {

TEST(PortNames, ComNumberAcceptsOnlyCom1To255) {
    EXPECT_EQ(comNumber("COM1"), 1);
    EXPECT_EQ(comNumber("com255"), 255);
    EXPECT_EQ(comNumber("Com42"), 42);
    for (const char* bad : {"COM0", "COM256", "COM01", "COM", "COM1a", "LPT1", "", "COM1000"}) {
        EXPECT_EQ(comNumber(bad), 0) << bad;
    }
}

TEST(PortNames, DefaultMapHasFixedRanges) {
    EXPECT_EQ(defaultDeviceForCom(1), "/dev/ttyS0");
    EXPECT_EQ(defaultDeviceForCom(32), "/dev/ttyS31");
    EXPECT_EQ(defaultDeviceForCom(33), "/dev/ttyUSB0");
    EXPECT_EQ(defaultDeviceForCom(64), "/dev/ttyUSB31");
    EXPECT_EQ(defaultDeviceForCom(65), "/dev/ttyACM0");
    EXPECT_EQ(defaultDeviceForCom(96), "/dev/ttyACM31");
    EXPECT_EQ(defaultDeviceForCom(97), "");
    EXPECT_EQ(defaultDeviceForCom(0), "");
}

TEST(PortNames, TtyNamesMapBackToTheirComNumbers) {
    for (int n = 1; n <= 96; ++n) {
        const std::string device = defaultDeviceForCom(n);
        EXPECT_EQ(comNumberForTty(device.substr(device.rfind('/') + 1)), n) << device;
    }
    for (const char* other :
         {"ttyS32", "ttyS01", "ttyUSB", "ttyUSB1a", "ttyAMA0", "tty0", "ttyS-1"}) {
        EXPECT_EQ(comNumberForTty(other), 0) << other;
    }
}

TEST(PortNames, OverrideLinkComesFirstAndPathsStandAsTheyAre) {
    test::ScopedConfigHome home;
    EXPECT_EQ(dosdevicesDirectory(), home.path() + "/stela/dosdevices");
    EXPECT_EQ(devicePathForPort("COM3"), "/dev/ttyS2");

    home.linkCom(3, "/dev/pts/7");
    home.linkCom(200, "/nonexistent/device");
    EXPECT_EQ(devicePathForPort("COM3"), "/dev/pts/7");
    EXPECT_EQ(devicePathForPort("com3"), "/dev/pts/7");
    EXPECT_EQ(devicePathForPort("COM200"), "/nonexistent/device");
    EXPECT_EQ(devicePathForPort("COM201"), "");
    EXPECT_EQ(devicePathForPort("/dev/ttyUSB5"), "/dev/ttyUSB5");
    EXPECT_EQ(devicePathForPort("PRN"), "");
}

TEST(PortNames, RelativeLinkTargetsResolveAgainstTheLinkDirectory) {
    test::ScopedConfigHome home;
    home.linkCom(9, "../devices/tty9");
    EXPECT_EQ(devicePathForPort("COM9"), dosdevicesDirectory() + "/../devices/tty9");
}

TEST(PortNames, UnsetConfigHomeFallsBackToHomeConfig) {
    test::ScopedConfigHome home;  // restores XDG_CONFIG_HOME afterwards
    unsetenv("XDG_CONFIG_HOME");
    const char* userHome = getenv("HOME");
    ASSERT_NE(userHome, nullptr);
    EXPECT_EQ(dosdevicesDirectory(), std::string(userHome) + "/.config/stela/dosdevices");
}

}  // namespace
}  // namespace stela
