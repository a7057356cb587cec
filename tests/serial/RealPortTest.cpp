// TComPort over PosixComDevice on a real serial driver: the device named by
// STELA_REAL_PORT (the vm tests run this in a QEMU guest on its 16550A, ttyS1, and
// its FTDI adapter, ttyUSB0; a stela-sim serves the sign at the far end). Where
// STELA_VM_HOST is set, the host side is asked what its end of the line sees.
// The kernel's termios2 header reads settings back, so no <termios.h> here.
#include <asm/termbits.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>

#include "serial/EComPort.h"
#include "serial/PortList.h"
#include "serial/TComPort.h"
#include "tests/support/ManualDispatcher.h"

namespace stela {
namespace {

std::string realPort() {
    const char* port = std::getenv("STELA_REAL_PORT");
    return port != nullptr ? port : "";
}

bool isUsb() {
    return realPort().find("ttyUSB") != std::string::npos;
}

// The host's answer to a question about its end of the line ("ok" when it
// agrees), or "" outside the vm tests.
std::string askHost(const std::string& question) {
    if (std::getenv("STELA_VM_HOST") == nullptr) {
        return "";
    }
    std::cout << "@@ ask " << question << std::endl;
    std::string answer;
    std::getline(std::cin, answer);
    return answer;
}

// A second descriptor on the device, for looking at what the port did to it.
class Peek {
public:
    Peek() : fd_(::open(realPort().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {}
    ~Peek() { ::close(fd_); }
    termios2 line() const {
        termios2 t{};
        EXPECT_EQ(ioctl(fd_, TCGETS2, &t), 0);
        return t;
    }
    int get(unsigned long request) const {
        int value = -1;
        EXPECT_EQ(ioctl(fd_, request, &value), 0);
        return value;
    }
    int fd() const { return fd_; }

private:
    int fd_;
};

class RealPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (realPort().empty()) {
            GTEST_SKIP() << "needs STELA_REAL_PORT naming a serial device (the vm tests set it)";
        }
        port.SetPort(realPort());
        port.SetBaudRate(br19200);
        port.SetDiscardNull(true);
    }

    TComPort port;
};

TEST_F(RealPortTest, HeldExclusivelyAndTheExclusiveFlagClearedAtClose) {
    port.Open();
    EXPECT_EQ(Peek().get(TIOCGEXCL), 1);
    TComPort second;
    second.SetPort(realPort());
    try {
        second.Open();
        ADD_FAILURE() << "opened twice";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.SystemCode(), EBUSY);
    }
    port.Close();
    EXPECT_EQ(Peek().get(TIOCGEXCL), 0);
}

// Row by row, as read back; what the driver cannot do is refused (code 7) and
// leaves the line as it was: ftdi_sio does not take 6 data bits.
TEST_F(RealPortTest, LineSettingsReachTheDriverRowByRow) {
    const struct {
        TBaudRate rate;
        unsigned speed;
        TDataBits bits;
        TParityBits parity;
        TStopBits stop;
        unsigned cflag;  // CSIZE | PARENB | PARODD | CMSPAR | CSTOPB
        bool onUsb;
    } rows[] = {
        {br19200, 19200, dbEight, prNone, sbOneStopBit, CS8, true},
        {br9600, 9600, dbSeven, prEven, sbTwoStopBits, CS7 | PARENB | CSTOPB, true},
        {br14400, 14400, dbEight, prOdd, sbOneStopBit, CS8 | PARENB | PARODD, true},
        {br4800, 4800, dbFive, prMark, sbOneStopBit, CS5 | PARENB | PARODD | CMSPAR, true},
        {br115200, 115200, dbSix, prSpace, sbTwoStopBits, CS6 | PARENB | CMSPAR | CSTOPB, false},
        {br57600, 57600, dbSeven, prSpace, sbOneStopBit, CS7 | PARENB | CMSPAR, true},
    };
    port.Open();
    const Peek peek;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.speed);
        const termios2 before = peek.line();
        const bool taken = row.onUsb || !isUsb();
        try {
            port.BeginSettingsBatch();
            port.SetBaudRate(row.rate);
            port.SetDataBits(row.bits);
            port.Parity().SetBits(row.parity);
            port.SetStopBits(row.stop);
            port.EndSettingsBatch();
            EXPECT_TRUE(taken) << "not refused";
        } catch (const EComPort& e) {
            EXPECT_FALSE(taken) << e.what();
            EXPECT_EQ(e.Code(), 7);
        }
        const termios2 t = peek.line();
        EXPECT_EQ(t.c_ospeed, taken ? row.speed : before.c_ospeed);
        EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB),
                  taken ? row.cflag : before.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB));
        EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD | CRTSCTS), unsigned(CLOCAL | CREAD));
    }
}

// QEMU hands the guest UART's speed and stop bits on to the host's tty.
TEST_F(RealPortTest, TheFarEndSeesTheLineTheSettingsSay) {
    const std::string device = realPort().substr(realPort().rfind('/') + 1);
    port.Open();
    EXPECT_NE(askHost("line " + device + " 19200 1"), "differs");
    port.BeginSettingsBatch();
    port.SetBaudRate(br9600);
    port.SetStopBits(sbTwoStopBits);
    port.EndSettingsBatch();
    EXPECT_NE(askHost("line " + device + " 9600 2"), "differs");
}

// A write returns when the driver's output queue is empty, well within its bound.
TEST_F(RealPortTest, AWriteCompletesWhenTheOutputQueueIsEmpty) {
    port.Open();
    const Peek peek;
    const std::string bytes(192, 'x');  // 100 ms on the wire at 19200 bit/s
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.WriteText(bytes), int(bytes.size()));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(peek.get(TIOCOUTQ), 0);
    EXPECT_LT(took, std::chrono::milliseconds(100 * 192 + 1000));
    std::cout << "@@ figure " << realPort() << ": a 192-byte write returned after "
              << std::chrono::duration_cast<std::chrono::microseconds>(took).count() / 1000.0
              << " ms (100 ms on a 19200 bit/s wire)" << std::endl;
}

TEST_F(RealPortTest, LowLatencyIsAskedOfTheDriver) {
    port.Open();
    serial_struct serial{};
    ASSERT_EQ(ioctl(Peek().fd(), TIOCGSERIAL, &serial), 0);
    if (isUsb()) {
        EXPECT_NE(serial.flags & ASYNC_LOW_LATENCY, 0)
            << "ftdi_sio keeps bytes up to 16 ms without";
    }
}

// Every open of a tty raises DTR and RTS (Linux does so for each opener), so the
// lines are looked at through a descriptor opened before the port's.
TEST_F(RealPortTest, ModemLinesFollowTheSettingsAndCountersStartAtNothing) {
    const struct {
        TDTRFlowControl dtr;
        TRTSFlowControl rts;
        int on;
    } rows[] = {{dtrDisable, rtsDisable, 0},
                {dtrEnable, rtsEnable, TIOCM_DTR | TIOCM_RTS},
                {dtrEnable, rtsDisable, TIOCM_DTR}};
    const Peek peek;
    for (const auto& row : rows) {
        port.FlowControl().SetControlDTR(row.dtr);
        port.FlowControl().SetControlRTS(row.rts);
        port.Open();
        EXPECT_EQ(peek.get(TIOCMGET) & (TIOCM_DTR | TIOCM_RTS), row.on);
        port.LineSignals();
        EXPECT_TRUE(port.LineErrors().empty());
        port.Close();
    }
}

// VMIN belongs to the tty: another program may set it to 0, and then a read on
// an idle line returns 0 bytes, which is no hang-up. Reads never wait.
TEST_F(RealPortTest, AnIdleLineReadsNothingAtOnceWhateverVminSays) {
    port.Open();
    {
        const Peek other;
        termios2 t = other.line();
        t.c_cc[VMIN] = 0;
        ASSERT_EQ(ioctl(other.fd(), TCSETS2, &t), 0);
    }
    std::string text;
    const auto start = std::chrono::steady_clock::now();
    for (int poll = 0; poll < 3; ++poll) {
        EXPECT_EQ(port.QueuedInputCount(), 0);
        EXPECT_EQ(port.ReadText(text, 14), 0);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
}

// The write bound holds where the line cannot take the bytes: hardware flow
// control with the far end's CTS off.
TEST_F(RealPortTest, AWriteTheLineDoesNotTakeEndsAtItsTimeout) {
    port.FlowControl().SetFlowControl(fcHardware);
    port.Timeouts().SetWriteTotalMultiplier(0);
    port.Timeouts().SetWriteTotalConstant(300);
    port.Open();
    const auto start = std::chrono::steady_clock::now();
    const int sent = port.WriteText(std::string(8192, 'x'));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::milliseconds(300 + 700));
    std::cout << "@@ figure " << realPort() << ": with CTS flow control, " << sent
              << " of 8192 bytes left within the 300 ms bound" << std::endl;
}

// The guest's ports on its real sysfs: ttyS0 (the console's 16550A) is COM1,
// ttyS1 COM2 and the FTDI adapter COM33; ttyS2 and ttyS3 have no UART behind them.
TEST(RealPortList, TheGuestsPortsAreThoseWithAUart) {
    if (std::getenv("STELA_VM_HOST") == nullptr) {
        GTEST_SKIP() << "needs the vm tests' guest";
    }
    EXPECT_EQ(presentPorts(), (std::vector<std::string>{"COM1", "COM2", "COM33"}));
}

// Pulled while the port is open, the adapter's node is let go at once: plugged in
// again while the port object still stands, it comes back under its own name.
TEST_F(RealPortTest, APulledAdapterComesBackUnderItsNameWhileThePortStands) {
    if (!isUsb() || std::getenv("STELA_VM_HOST") == nullptr) {
        GTEST_SKIP() << "needs the vm tests' guest and its USB adapter";
    }
    // As in the window: the line-event monitor runs (and its modem-line waiter
    // on ftdi_sio), its deliveries run while the window is idle.
    auto dispatcher = std::make_shared<test::ManualDispatcher>();
    port.SetEventDispatcher(dispatcher);
    port.SetEvents(allComEvents);
    port.Open();
    ASSERT_EQ(askHost("unplug . 0"), "pulled");
    int error = 0;
    for (int poll = 0; poll < 200 && error == 0; ++poll) {
        try {
            dispatcher->runPending();
            port.QueuedInputCount();
            usleep(10000);
        } catch (const EComPort& e) {
            error = e.SystemCode();
        }
    }
    EXPECT_EQ(error, EIO);
    ASSERT_EQ(askHost("replug"), "plugged");
    bool back = false;
    for (int poll = 0; poll < 500 && !back; ++poll) {
        dispatcher->runPending();
        back = access(realPort().c_str(), F_OK) == 0;
        usleep(20000);
    }
    EXPECT_TRUE(back) << realPort() << " did not come back";
    EXPECT_NE(access("/dev/ttyUSB1", F_OK), 0) << "it came back as ttyUSB1";
    EXPECT_TRUE(port.Connected());
    port.Close();
    port.Open();
    EXPECT_TRUE(port.Connected());
}

}  // namespace
}  // namespace stela
