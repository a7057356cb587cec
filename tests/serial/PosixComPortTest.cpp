// TComPort over PosixComDevice against real pseudo-terminals. The kernel's termios2
// header is used to read line settings back, so this file must not include <termios.h>.
#include <asm/termbits.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <functional>

#include "serial/EComPort.h"
#include "serial/TComPort.h"
#include "tests/serial/ModemLineRequests.h"
#include "tests/serial/Raised.h"
#include "tests/support/PtyPair.h"
#include "tests/support/ScopedConfigHome.h"

namespace stela {
namespace {

using test::raised;

termios2 lineOf(int fd) {
    termios2 t{};
    EXPECT_EQ(ioctl(fd, TCGETS2, &t), 0);
    return t;
}

// The sign's line as the main window sets it up, on COM7 = a fresh pseudo-terminal.
class PosixComPortTest : public ::testing::Test {
protected:
    PosixComPortTest() {
        home.linkCom(7, pty.slavePath());
        port.SetPort("COM7");
        port.SetBaudRate(br19200);
        port.SetDiscardNull(true);
    }

    test::ScopedConfigHome home;
    test::PtyPair pty;
    TComPort port;
};

TEST_F(PosixComPortTest, ReadReturnsAtOnceWithAtMostWhatIsQueued) {
    port.Open();
    std::string text = "stale";
    EXPECT_EQ(port.ReadText(text, 10), 0) << "nothing queued: no wait";
    EXPECT_EQ(text, "");

    pty.send("T1");
    pty.send("2");
    EXPECT_EQ(port.ReadText(text, 10), 3);
    EXPECT_EQ(text, "T12");

    pty.send("T0123456789OK");
    pty.send("5");
    EXPECT_EQ(port.QueuedInputCount(), 14);
    EXPECT_EQ(port.ReadText(text, 10), 10);
    EXPECT_EQ(text, "T012345678");
    EXPECT_EQ(port.QueuedInputCount(), 4);
    EXPECT_EQ(port.ReadText(text, 10), 4);
    EXPECT_EQ(text, "9OK5");
    EXPECT_EQ(port.ReadText(text, 0), 0);
    EXPECT_EQ(port.QueuedInputCount(), 0);

    EXPECT_TRUE(port.LineSignals().empty()) << "a pseudo-terminal has no modem lines";
    EXPECT_TRUE(port.LineErrors().empty());
}

TEST_F(PosixComPortTest, NulBytesNeverReachTheQueueWhileDiscarding) {
    port.Open();
    pty.send(std::string("\0W\0O\0\0K", 7));
    EXPECT_EQ(port.QueuedInputCount(), 3);
    std::string text;
    port.ReadText(text, 14);
    EXPECT_EQ(text, "WOK");

    port.SetDiscardNull(false);
    pty.send(std::string("A\0", 2));
    EXPECT_EQ(port.ReadText(text, 14), 2);
}

TEST_F(PosixComPortTest, ClearBuffersEmptiesTheDriverAndThePortQueue) {
    port.Open();
    pty.send("abc");
    ASSERT_EQ(port.QueuedInputCount(), 3);  // now held by the port
    pty.send("def");                        // still in the driver
    port.ClearBuffers(true, true);
    EXPECT_EQ(pty.slaveQueued(), 0);
    EXPECT_EQ(port.QueuedInputCount(), 0);
}

TEST_F(PosixComPortTest, WriteReturnsTheCountThatLeftAndNeverWaitsPastItsTimeout) {
    port.Open();
    EXPECT_EQ(port.WriteText("W0456731E20"), 11);
    EXPECT_EQ(pty.receive(11), "W0456731E20");

    // Nobody reads the far end: the pseudo-terminal's buffer fills, and the
    // write gives up after its 200 ms with the part that got through.
    port.Timeouts().SetWriteTotalMultiplier(0);
    port.Timeouts().SetWriteTotalConstant(200);
    const std::string big(1 << 20, 'x');
    const auto start = std::chrono::steady_clock::now();
    const int sent = port.WriteText(big);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(200));
    EXPECT_LT(took, std::chrono::milliseconds(350));
    EXPECT_GT(sent, 0);
    EXPECT_LT(sent, int(big.size()));
    EXPECT_EQ(pty.receive(big.size(), 1000).size(), std::size_t(sent));
}

int exclusive(int fd) {
    int flag = -1;
    EXPECT_EQ(ioctl(fd, TIOCGEXCL, &flag), 0);
    return flag;
}

TEST_F(PosixComPortTest, HeldPortCannotBeOpenedTwice) {
    port.Open();
    EXPECT_EQ(exclusive(pty.slaveFd()), 0) << "the lock alone keeps a pseudo-terminal ours";
    TComPort second;
    second.SetPort("COM7");
    const EComPort e = raised([&] { second.Open(); });
    EXPECT_EQ(e.Code(), 1);
    EXPECT_EQ(e.SystemCode(), EBUSY);
    EXPECT_FALSE(second.Connected());

    port.Close();
    second.Open();
    EXPECT_TRUE(second.Connected());
}

// The exclusive flag belongs to the tty and outlives the descriptor that set it.
TEST_F(PosixComPortTest, APortLeftOpenByACrashLocksNobodyOut) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TComPort held;
        held.SetPort("COM7");
        try {
            held.Open();
        } catch (...) {
            _exit(2);
        }
        _exit(0);  // no close: as a crash leaves it
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child could not open";

    EXPECT_EQ(exclusive(pty.slaveFd()), 0);
    const int again = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    EXPECT_GE(again, 0) << errno;
    if (again >= 0) {
        ::close(again);
    }
    port.Open();
    EXPECT_TRUE(port.Connected());
}

TEST_F(PosixComPortTest, AnotherHoldersExclusiveFlagOutlivesOurPort) {
    ASSERT_EQ(ioctl(pty.slaveFd(), TIOCEXCL), 0);
    if (geteuid() == 0) {  // root opens despite the flag
        port.Open();
        port.Close();
    } else {
        EXPECT_EQ(raised([&] { port.Open(); }).SystemCode(), EBUSY);
    }
    EXPECT_EQ(exclusive(pty.slaveFd()), 1);
}

// VMIN belongs to the tty: another program may set it to 0, and then a read on an
// idle line returns 0 bytes, which is no hang-up.
TEST_F(PosixComPortTest, AnIdleLineIsNoHangUpWhateverVminAnotherProgramSet) {
    port.Open();
    const int other = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(other, 0) << errno;
    termios2 t = lineOf(other);
    t.c_cc[VMIN] = 0;
    ASSERT_EQ(ioctl(other, TCSETS2, &t), 0);
    ::close(other);

    std::string text;
    for (int poll = 0; poll < 3; ++poll) {
        EXPECT_EQ(port.QueuedInputCount(), 0);
    }
    EXPECT_EQ(port.ReadText(text, 5), 0);
    pty.send("WOK");
    EXPECT_EQ(port.ReadText(text, 5), 3);

    port.SetBaudRate(br9600);
    EXPECT_EQ(lineOf(pty.slaveFd()).c_cc[VMIN], 1) << "each apply sets it again";
    t.c_cc[VMIN] = 0;
    ASSERT_EQ(ioctl(pty.slaveFd(), TCSETS2, &t), 0);

    pty.closeMaster();
    const EComPort e = raised([&] { port.QueuedInputCount(); });
    EXPECT_EQ(e.Code(), 10);
    EXPECT_EQ(e.SystemCode(), EIO);
}

TEST_F(PosixComPortTest, VanishedFarEndFailsEachOperationAndStillCloses) {
    port.Open();
    pty.closeMaster();
    std::string text;
    const struct {
        int code;
        std::function<void()> action;
    } cases[] = {
        {10, [&] { port.QueuedInputCount(); }}, {3, [&] { port.ReadText(text, 14); }},
        {2, [&] { port.WriteText("R0E"); }},    {5, [&] { port.ClearBuffers(true, true); }},
        {11, [&] { port.LineSignals(); }},
    };
    for (const auto& c : cases) {
        const EComPort e = raised(c.action);
        EXPECT_EQ(e.Code(), c.code);
        EXPECT_EQ(e.SystemCode(), EIO);
    }
    port.Close();
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(raised([&] { port.Open(); }).Code(), 1);
}

TEST_F(PosixComPortTest, LineParametersReachTheDevice) {
    port.Open();
    termios2 t = lineOf(pty.slaveFd());
    EXPECT_EQ(t.c_cflag & CBAUD, unsigned(B19200));
    EXPECT_EQ(t.c_ospeed, 19200u);
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), unsigned(CS8));
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), unsigned(CLOCAL | CREAD));
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | INPCK), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);

    const struct {
        TBaudRate rate;
        unsigned speed;
    } odd[] = {{br14400, 14400}, {br56000, 56000}, {br128000, 128000}, {br256000, 256000}};
    for (const auto& o : odd) {
        port.SetBaudRate(o.rate);
        t = lineOf(pty.slaveFd());
        EXPECT_EQ(t.c_cflag & CBAUD, unsigned(BOTHER)) << o.speed;
        EXPECT_EQ(t.c_ospeed, o.speed);
    }
    port.SetCustomBaudRate(31250);
    port.SetBaudRate(brCustom);
    EXPECT_EQ(lineOf(pty.slaveFd()).c_ospeed, 31250u);

    port.BeginSettingsBatch();
    port.SetDataBits(dbSeven);
    port.SetStopBits(sbTwoStopBits);
    port.Parity().SetBits(prMark);
    port.FlowControl().SetFlowControl(fcSoftware);
    port.EndSettingsBatch();
    // A pseudo-terminal keeps CS8 and clears PARENB whatever it is given; the
    // other framing bits show what was asked for.
    t = lineOf(pty.slaveFd());
    EXPECT_EQ(t.c_cflag & (CSTOPB | PARODD | CMSPAR), unsigned(CSTOPB | PARODD | CMSPAR));
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), unsigned(IXON | IXOFF));

    port.FlowControl().SetFlowControl(fcHardware);
    EXPECT_NE(lineOf(pty.slaveFd()).c_cflag & CRTSCTS, 0u);
}

// What a pseudo-terminal shows of the line an open sets up. It has no modem lines
// to read back, so for DTR and RTS the test looks at what the port asked for.
TEST_F(PosixComPortTest, OpenSetsTheLineUpAsTheSettingsSay) {
    const struct {
        const char* what;
        TParityBits parity;
        bool check, replace;
        TDTRFlowControl dtr;
        TRTSFlowControl rts;
        bool inputParityCheck, dtrOn, rtsOn;
    } rows[] = {
        {"the sign's settings", prNone, false, false, dtrDisable, rtsDisable, false, false, false},
        {"DTR and RTS on", prNone, false, false, dtrEnable, rtsEnable, false, true, true},
        {"parity checked and replaced", prEven, true, true, dtrDisable, rtsDisable, true, false,
         false},
        {"no parity to check", prNone, true, true, dtrDisable, rtsDisable, false, false, false},
        {"parity checked, not replaced", prOdd, true, false, dtrDisable, rtsDisable, false, false,
         false},
        {"parity replaced, not checked", prOdd, false, true, dtrDisable, rtsDisable, false, false,
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        port.Parity().SetBits(row.parity);
        port.Parity().SetCheck(row.check);
        port.Parity().SetReplace(row.replace);
        port.FlowControl().SetControlDTR(row.dtr);
        port.FlowControl().SetControlRTS(row.rts);
        test::forgetModemLineRequests();
        port.Open();
        const test::ModemLineRequest dtr = test::lastModemLineRequest(TIOCM_DTR);
        const test::ModemLineRequest rts = test::lastModemLineRequest(TIOCM_RTS);
        ASSERT_GE(dtr.fd, 0) << "DTR asked for";
        EXPECT_EQ(rts.fd, dtr.fd) << "RTS asked for";
        EXPECT_EQ(dtr.on, row.dtrOn);
        EXPECT_EQ(rts.on, row.rtsOn);
        EXPECT_NE(fcntl(dtr.fd, F_GETFD) & FD_CLOEXEC, 0) << "a started program gets no port";
        EXPECT_EQ((lineOf(pty.slaveFd()).c_iflag & INPCK) != 0, row.inputParityCheck);
        port.Close();
    }
}

TEST_F(PosixComPortTest, FeaturesLinuxLacksAreRefusedAndLeaveTheLineAsItWas) {
    port.Open();
    const EComPort e = raised([&] { port.SetStopBits(sbOne5StopBits); });
    EXPECT_EQ(e.Code(), 7);
    EXPECT_EQ(e.SystemCode(), EINVAL);
    EXPECT_EQ(lineOf(pty.slaveFd()).c_cflag & CSTOPB, 0u);
    EXPECT_EQ(raised([&] { port.FlowControl().SetControlRTS(rtsToggle); }).Code(), 7);
    EXPECT_EQ(raised([&] { port.FlowControl().SetOutDSRFlow(true); }).Code(), 7);

    port.Close();
    EXPECT_EQ(raised([&] { port.Open(); }).Code(), 7);
    EXPECT_FALSE(port.Connected());
    TComPort other;  // the refused open released the device
    other.SetPort("COM7");
    other.Open();
    EXPECT_TRUE(other.Connected());
}

TEST_F(PosixComPortTest, OpenFailsWithTheReasonForWhatIsNotAPort) {
    const std::string file = home.path() + "/plain-file";
    std::ofstream(file) << "not a tty";
    home.linkCom(20, "/nonexistent/ttyUSB9");
    home.linkCom(21, file);
    const struct {
        const char* port;
        int error;
    } cases[] = {{"COM20", ENOENT}, {"COM200", ENOENT}, {"", ENOENT}, {"COM21", ENOTTY}};
    for (const auto& c : cases) {
        port.SetPort(c.port);
        const EComPort e = raised([&] { port.Open(); });
        EXPECT_EQ(e.Code(), 1) << c.port;
        EXPECT_EQ(e.SystemCode(), c.error) << c.port;
        EXPECT_FALSE(port.Connected());
    }
    if (geteuid() != 0) {  // root opens whatever the mode says
        chmod(file.c_str(), 0);
        port.SetPort("COM21");
        EXPECT_EQ(raised([&] { port.Open(); }).SystemCode(), EACCES);
    }
}

// The console writes a frame and clears both queues at once; on a
// pseudo-terminal the far end may not have read the frame yet, and the clear
// must not take it back. Such a loss is rare, hence the many frames.
TEST_F(PosixComPortTest, ClearingRightAfterAWriteNeverTakesTheFrameBack) {
    port.Open();
    std::string received;
    for (int i = 0; i < 2000; ++i) {
        port.WriteText("W0000010E23");
        port.ClearBuffers(true, true);
        received += pty.receive(11, 100);
    }
    EXPECT_EQ(received.size(), 2000u * 11);
}

}  // namespace
}  // namespace stela
