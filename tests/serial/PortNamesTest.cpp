#include "serial/PortNames.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include "serial/PortAddress.h"
#include "serial/TComPort.h"
#include "tests/support/PtyPair.h"
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

TEST(PortNames, AnAddressIsTheLinkFirstThenTheDefaultMapAndPathsAndUrlsAsTheyStand) {
    test::ScopedConfigHome home;
    const std::string links = home.path() + "/stela/dosdevices/";
    EXPECT_EQ(dosdevicesDirectory(), links.substr(0, links.size() - 1));
    const std::string byId = "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0";
    home.linkCom(3, "/dev/pts/7");
    home.linkCom(5, byId);
    home.linkCom(6, "rfc2217://10.1.2.3:4001");
    home.linkCom(200, "/nonexistent/device");
    struct Case {
        const char* name;
        std::string link, device, label;
    };
    const Case cases[] = {
        {"COM2", "", "/dev/ttyS1", "COM2 (/dev/ttyS1)"},
        {"com3", links + "com3", "/dev/pts/7", "com3 (/dev/pts/7)"},
        {"COM5", links + "com5", byId, "COM5 (" + byId + ")"},
        {"COM6", links + "com6", "rfc2217://10.1.2.3:4001", "COM6 (rfc2217://10.1.2.3:4001)"},
        {"COM200", links + "com200", "/nonexistent/device", "COM200 (/nonexistent/device)"},
        {"COM201", "", "", "COM201"},
        {"/dev/ttyUSB5", "", "/dev/ttyUSB5", "/dev/ttyUSB5"},
        {"tcp://sign:4001", "", "tcp://sign:4001", "tcp://sign:4001"},
        {"PRN", "", "", "PRN"},
    };
    for (const Case& c : cases) {
        const PortAddress address = PortAddress::of(c.name);
        EXPECT_EQ(address.link(), c.link) << c.name;
        EXPECT_EQ(address.device(), c.device) << c.name;
        EXPECT_EQ(address.label(), c.label) << c.name;
        EXPECT_EQ(address.isNetwork(), c.device.find("://") != std::string::npos) << c.name;
    }
}

// The address is worked out at the open and kept: a link that goes away while
// the port is open (the sign's pseudo-terminal with it) changes nothing.
TEST(PortNames, AnOpenPortKeepsTheAddressItWasOpenedWith) {
    test::ScopedConfigHome home;
    test::PtyPair pty;
    home.linkCom(3, pty.slavePath());
    TComPort port;
    port.SetPort("COM3");
    port.Open();
    ASSERT_EQ(unlink((home.path() + "/stela/dosdevices/com3").c_str()), 0);
    EXPECT_EQ(port.Address().label(), "COM3 (" + pty.slavePath() + ")");
    port.Close();
    EXPECT_EQ(port.Address().device(), pty.slavePath());
    port.SetPort("COM4");
    EXPECT_EQ(port.Address().label(), "COM4");  // not looked up until it is opened
}

TEST(PortNames, RelativeLinkTargetsResolveAgainstTheLinkDirectory) {
    test::ScopedConfigHome home;
    home.linkCom(9, "../devices/tty9");
    EXPECT_EQ(PortAddress::of("COM9").device(), dosdevicesDirectory() + "/../devices/tty9");
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
