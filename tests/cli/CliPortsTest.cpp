#include <sys/stat.h>

#include "tests/cli/CliFixture.h"
#include "tests/support/FakeSerialTree.h"
#include "tests/support/PtyPair.h"
#include "tests/support/TestLanguage.h"

namespace stela {
namespace {

// stela-cli ports over a fake sysfs and /dev with a built-in port, two USB
// adapters and a CDC-ACM device, a pseudo-terminal registered as COM3 and a
// network port as COM5 (at an address nothing answers on).
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
        // that is no UTF-8, a C1 control (CSI).
        tree.addUsbTty("ttyUSB1", "ch341",
                       {"1a86", "7523", "\xFFQinHeng", "USB\x1b[31mSerial",
                        "\xC2\x9B"
                        "2J",
                        "1-3"});
        tree.addUsbTty("ttyACM0", "cdc_acm", {"2e8a", "000a", "Прибор", "RS-232", "", "1-4"});
        home.linkCom(3, pty.slavePath());
        home.linkCom(5, "rfc2217://192.0.2.1:4001");
        portSources = tree.sources();
    }

    // The output with the fake /dev's and the pseudo-terminal's paths named.
    std::string named(std::string out) const {
        for (const auto& [path, name] :
             {std::pair{tree.dev(), "$DEV"}, {pty.slavePath(), "$PTS"}}) {
            for (std::size_t at; (at = out.find(path)) != std::string::npos;) {
                out.replace(at, path.size(), name);
            }
        }
        return out;
    }

    test::FakeSerialTree tree{home.path() + "/tree"};
    test::PtyPair pty;
};

TEST_F(CliPortsTest, EachPortIsOneLineOfWhatATechnicianKnowsItBy) {
    const Result r = run({"ports"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(named(r.out),
              "COM1 $DEV/ttyS0 driver=serial8250\n"
              "COM3 $PTS driver=pty\n"
              "COM5 rfc2217://192.0.2.1:4001\n"
              "COM33 $DEV/ttyUSB0 driver=ftdi_sio usb=0403:6001 manufacturer=FTDI "
              "product=\"FT232R USB UART\" serial=A1234 latency_timer=16ms "
              "by-id=$DEV/serial/by-id/usb-FTDI_FT232R_USB_UART_A1234-if00-port0 "
              "by-path=$DEV/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0\n"
              "COM34 $DEV/ttyUSB1 driver=ch341 usb=1a86:7523 manufacturer=\"\\xFFQinHeng\" "
              "product=\"USB\\x1B[31mSerial\" serial=\"\\xC2\\x9B2J\"\n"
              "COM65 $DEV/ttyACM0 driver=cdc_acm usb=2e8a:000a manufacturer=Прибор "
              "product=RS-232\n");

    test::ScopedLanguage russian("LANG", "ru_RU.UTF-8");
    const std::string line = named(run({"ports"}).out);
    EXPECT_NE(line.find("COM33 $DEV/ttyUSB0 драйвер=ftdi_sio usb=0403:6001 изготовитель=FTDI "
                        "изделие=\"FT232R USB UART\" серийный_номер=A1234 задержка=16мс by-id="),
              std::string::npos)
        << line;
}

TEST_F(CliPortsTest, JsonDescribesEveryPortWithTheSameKeys) {
    const Result r = run({"ports", "--format", "json"});
    EXPECT_EQ(r.status, 0);
    // Bytes that are no UTF-8 become U+FFFD; control characters are escaped.
    EXPECT_EQ(named(r.out), R"({
  "ports": [
    {
      "port": "COM1",
      "device": "$DEV/ttyS0",
      "driver": "serial8250",
      "usb": null,
      "latency_timer_ms": null,
      "by_id": [],
      "by_path": []
    },
    {
      "port": "COM3",
      "device": "$PTS",
      "driver": "pty",
      "usb": null,
      "latency_timer_ms": null,
      "by_id": [],
      "by_path": []
    },
    {
      "port": "COM5",
      "device": "rfc2217://192.0.2.1:4001",
      "driver": null,
      "usb": null,
      "latency_timer_ms": null,
      "by_id": [],
      "by_path": []
    },
    {
      "port": "COM33",
      "device": "$DEV/ttyUSB0",
      "driver": "ftdi_sio",
      "usb": {
        "vendor_id": "0403",
        "product_id": "6001",
        "manufacturer": "FTDI",
        "product": "FT232R USB UART",
        "serial": "A1234"
      },
      "latency_timer_ms": 16,
      "by_id": [
        "$DEV/serial/by-id/usb-FTDI_FT232R_USB_UART_A1234-if00-port0"
      ],
      "by_path": [
        "$DEV/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0"
      ]
    },
    {
      "port": "COM34",
      "device": "$DEV/ttyUSB1",
      "driver": "ch341",
      "usb": {
        "vendor_id": "1a86",
        "product_id": "7523",
        "manufacturer": "�QinHeng",
        "product": "USB\u001b[31mSerial",
        "serial": ")"
                            "\xC2\x9B"
                            R"(2J"
      },
      "latency_timer_ms": null,
      "by_id": [],
      "by_path": []
    },
    {
      "port": "COM65",
      "device": "$DEV/ttyACM0",
      "driver": "cdc_acm",
      "usb": {
        "vendor_id": "2e8a",
        "product_id": "000a",
        "manufacturer": "Прибор",
        "product": "RS-232",
        "serial": null
      },
      "latency_timer_ms": null,
      "by_id": [],
      "by_path": []
    }
  ]
}
)");
}

TEST_F(CliPortsTest, AnUnreadableSysfsIsAPortError) {
    portSources.sysfs = home.path() + "/missing";
    const Result r = run({"ports"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err,
              "stela-cli: the serial ports cannot be listed: Registry error (ENOENT, No such file "
              "or directory)\n");
}

}  // namespace
}  // namespace stela
