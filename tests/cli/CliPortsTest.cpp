#include <sys/stat.h>

#include "cli/Json.h"
#include "tests/cli/CliFixture.h"
#include "tests/support/FakeSerialTree.h"
#include "tests/support/PtyPair.h"

namespace stela {
namespace {

// stela-cli ports over a fake sysfs and /dev with a built-in port, two USB
// adapters and a CDC-ACM device, and a pseudo-terminal registered as COM3.
class CliPortsTest : public test::CliTest {
protected:
    void SetUp() override {
        tree.addUart("ttyS0");
        const std::string ftdi = tree.addUsbTty(
            "ttyUSB0", "ftdi_sio", {"0403", "6001", "FTDI", "FT232R USB UART", "A1234", "1-2"});
        test::FakeSerialTree::writeAttribute(ftdi + "/latency_timer", "16");
        tree.addDevLink("serial/by-id/usb-FTDI_FT232R_USB_UART_A1234-if00-port0", "ttyUSB0");
        tree.addDevLink("serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0", "ttyUSB0");
        // What a device reports is not to be trusted: an escape sequence, a byte
        // that is no UTF-8.
        tree.addUsbTty("ttyUSB1", "ch341",
                       {"1a86", "7523", "\xFFQinHeng", "USB\x1b[31mSerial", "", "1-3"});
        tree.addUsbTty("ttyACM0", "cdc_acm", {"2e8a", "000a", "Прибор", "RS-232", "", "1-4"});
        home.linkCom(3, pty.slavePath());
        portSources = tree.sources();
    }

    test::FakeSerialTree tree{home.path() + "/tree"};
    test::PtyPair pty;
};

TEST_F(CliPortsTest, EachPortIsOneLineOfWhatATechnicianKnowsItBy) {
    const std::string dev = tree.dev();
    const Result r = run({"ports"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "COM1 " + dev + "/ttyS0 driver=serial8250\n" +  //
                  "COM3 " + pty.slavePath() + " driver=pty\n" + "COM33 " + dev +
                  "/ttyUSB0 driver=ftdi_sio usb=0403:6001 manufacturer=FTDI "
                  "product=\"FT232R USB UART\" serial=A1234 latency_timer=16ms by-id=" +
                  dev + "/serial/by-id/usb-FTDI_FT232R_USB_UART_A1234-if00-port0 by-path=" + dev +
                  "/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0\n" +  //
                  "COM34 " + dev +
                  "/ttyUSB1 driver=ch341 usb=1a86:7523 manufacturer=\"\\xFFQinHeng\" "
                  "product=\"USB\\x1B[31mSerial\"\n" +  //
                  "COM65 " +
                  dev +
                  "/ttyACM0 driver=cdc_acm usb=2e8a:000a manufacturer=Прибор "
                  "product=RS-232\n");
}

TEST_F(CliPortsTest, JsonDescribesEveryPortWithTheSameKeys) {
    const std::string dev = tree.dev();
    const Result r = run({"ports", "--format", "json"});
    EXPECT_EQ(r.status, 0);
    const cli::JsonValue document = cli::parseJson(r.out);  // valid JSON, valid UTF-8
    const auto& ports = document.member("ports")->items;
    ASSERT_EQ(ports.size(), 5u);
    EXPECT_EQ(
        cli::toJson(ports[1]),
        R"({"port":"COM3","device":")" + pty.slavePath() +
            R"(","driver":"pty","usb":null,"latency_timer_ms":null,"by_id":[],"by_path":[]})");
    EXPECT_EQ(cli::toJson(ports[2]),
              R"({"port":"COM33","device":")" + dev +
                  R"(/ttyUSB0","driver":"ftdi_sio","usb":{"vendor_id":"0403","product_id":"6001",)"
                  R"("manufacturer":"FTDI","product":"FT232R USB UART","serial":"A1234"},)"
                  R"("latency_timer_ms":16,"by_id":[")" +
                  dev +
                  R"(/serial/by-id/usb-FTDI_FT232R_USB_UART_A1234-if00-port0"],"by_path":[")" +
                  dev + R"(/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0"]})");
    EXPECT_EQ(cli::toJson(*ports[3].member("usb")),
              "{\"vendor_id\":\"1a86\",\"product_id\":\"7523\",\"manufacturer\":\"\uFFFDQinHeng\","
              "\"product\":\"USB\\u001b[31mSerial\",\"serial\":null}");
}

TEST_F(CliPortsTest, PortsTakesNoPortAndNoCsvAndAnUnreadableSysfsIsAPortError) {
    EXPECT_EQ(run({"ports", "--format", "csv"}).status, 2);
    EXPECT_EQ(run({"ports", "--port", "COM3"}).status, 2);
    portSources.sysfs = home.path() + "/missing";
    const Result r = run({"ports"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err,
              "stela-cli: the serial ports cannot be listed: Registry error (win error code: 2)\n");
}

}  // namespace
}  // namespace stela
