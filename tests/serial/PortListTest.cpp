#include "serial/PortList.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "serial/PortNames.h"
#include "store/ConfigDirectory.h"
#include "tests/serial/Raised.h"
#include "tests/support/FakeSerialTree.h"
#include "tests/support/PtyPair.h"
#include "tests/support/ScopedConfigHome.h"

namespace stela {
namespace {

using Names = std::vector<std::string>;

class PortListTest : public ::testing::Test {
protected:
    test::ScopedConfigHome home;
    test::FakeSerialTree tree{home.path() + "/tree"};
};

TEST_F(PortListTest, TtysCountWhenADriverServesThemAndTheirNodeExists) {
    tree.addUart("ttyS0");
    tree.addTty("ttyS1", "serial8250");  // registered, but no UART answers
    tree.addTty("ttyS2", "");            // no driver behind it
    tree.addUart("ttyS3", "port");       // the serial core's port, as since Linux 6.5
    tree.addTty("ttyS4", "port");
    tree.addTty("ttyUSB0", "ftdi_sio");
    tree.addTty("ttyUSB1", "pl2303", false);  // its node is gone
    tree.addTty("ttyACM0", "cdc_acm");
    tree.addTty("ttyAMA0", "uart-pl011");  // a SoC UART, outside the fixed ranges
    tree.addTty("ttyUSB40", "ftdi_sio");   // beyond the USB range
    tree.addTty("ttymxc0", "imx-uart");
    tree.addTty("tty0", "");
    tree.addTty("ptmx", "");
    // Sorted as text ignoring case.
    EXPECT_EQ(presentPorts(tree.sources()),
              (Names{tree.dev() + "/ttyAMA0", tree.dev() + "/ttymxc0", tree.dev() + "/ttyUSB40",
                     "COM1", "COM33", "COM4", "COM65"}));
}

TEST_F(PortListTest, LinksThatLeadToADeviceCountOnceAndDecideTheirNames) {
    tree.addUart("ttyS0");
    tree.addUart("ttyS1");
    tree.addTty("ttyUSB0", "ftdi_sio");
    tree.addTty("ttyUSB40", "ftdi_sio");
    home.linkCom(10, tree.addFile("pts/4"));    // a pseudo-terminal: no tty of its own
    home.linkCom(34, tree.addFile("pts/5"));    // its default device is absent anyway
    home.linkCom(33, tree.dev() + "/ttyUSB0");  // the default again: listed once
    home.linkCom(3, tree.dev() + "/ttyUSB40");  // the path is no longer needed
    home.linkCom(1, tree.dev() + "/gone");      // dangling: COM1 stands for nothing
    home.linkCom(5, "../../tree/dev/ttyS1");    // relative, beside its default COM2
    std::filesystem::create_symlink("/", dosdevicesDirectory() + "/c:");  // Wine's drive
    std::filesystem::create_symlink(tree.dev() + "/ttyUSB0", dosdevicesDirectory() + "/COM7");

    // Sorted as text ignoring case; ttyS0 keeps only its path, as its COM name
    // leads elsewhere.
    EXPECT_EQ(presentPorts(tree.sources()),
              (Names{tree.dev() + "/ttyS0", "COM10", "COM2", "COM3", "COM33", "COM34", "COM5"}));
}

TEST_F(PortListTest, ADirectoryThatCannotBeReadIsTheRegistryError) {
    PortListSources noSysfs = tree.sources();
    noSysfs.sysfs = home.path() + "/missing";
    const EComPort missing = test::raised([&] { presentPorts(noSysfs); });
    EXPECT_EQ(missing.Code(), 23);
    EXPECT_EQ(missing.SystemCode(), ENOENT);
    EXPECT_STREQ(missing.what(), "Registry error (win error code: 2)");

    // No dosdevices folder only means no links; one that is not a folder is an error.
    EXPECT_EQ(presentPorts(tree.sources()), Names{});
    std::filesystem::create_directories(configDirectory());
    tree.addFile("../stela/dosdevices");
    EXPECT_EQ(test::raised([&] { presentPorts(tree.sources()); }).SystemCode(), ENOTDIR);
}

TEST(UartPresent, OnlyASerialDriverAnswersForAUart) {
    test::PtyPair pty;
    EXPECT_FALSE(uartPresent(pty.slavePath()));
    EXPECT_FALSE(uartPresent("/nonexistent/ttyS0"));
}

}  // namespace
}  // namespace stela
