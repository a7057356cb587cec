// The port object on a sign behind Debian's ser2net, through both schemes: the
// real server in front of stela-sim's serving loop on a pseudo-terminal, the
// console's own workflows in real time.
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "diagnostics/PortTrouble.h"
#include "serial/ComDeviceFactory.h"
#include "serial/EComPort.h"
#include "serial/PortUrl.h"
#include "serial/TComPort.h"
#include "tests/support/ForwardingComDevice.h"
#include "tests/support/ManualDispatcher.h"
#include "tests/support/ScopedConfigHome.h"
#include "tests/support/Ser2net.h"
#include "tests/support/ServedSign.h"
#include "tests/workflows/RecordingObserver.h"
#include "workflows/Console.h"
#include "workflows/SignPort.h"

namespace stela {
namespace {

using namespace std::string_literals;

// Everything the sign took off its line, in order: frames and stray bytes.
// Filled on the serving thread; `kill` (set before the sign starts) runs there
// at the first frame for which the predicate given to killOn() holds.
struct SignLine : SignObserver {
    using Predicate = std::function<bool(const FrameEvent&)>;
    std::mutex mutex;
    std::vector<std::string> frames;
    std::string bytes;
    Predicate killWhen;
    std::function<void()> kill;

    void killOn(Predicate when) {
        const std::lock_guard<std::mutex> lock(mutex);
        killWhen = std::move(when);
    }
    // At the `nth` frame of `kind`.
    void killOn(FrameKind kind, int nth) {
        killOn([kind, nth, seen = 0](const FrameEvent& event) mutable {
            return event.kind == kind && ++seen == nth;
        });
    }

    void frameReceived(const FrameEvent& event) override {
        const std::lock_guard<std::mutex> lock(mutex);
        frames.push_back(event.bytes);
        bytes += event.bytes;
        if (killWhen && killWhen(event)) {
            killWhen = nullptr;
            kill();
        }
    }
    void bytesDiscarded(std::string_view discarded, SimTime) override {
        const std::lock_guard<std::mutex> lock(mutex);
        bytes += discarded;
    }

    std::condition_variable replied;
    int replies = 0;
    void replySent(std::string_view, SimTime) override {
        const std::lock_guard<std::mutex> lock(mutex);
        ++replies;
        replied.notify_all();
    }
    // Until the sign has sent `count` replies in all, and then the time ser2net
    // takes to pass them on.
    void waitForReplies(int count) {
        std::unique_lock<std::mutex> lock(mutex);
        replied.wait_for(lock, std::chrono::seconds(2), [&] { return replies >= count; });
        lock.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
};

// The port's device with every byte written noted, in order.
class WriteTap final : public test::ForwardingComDevice {
public:
    std::vector<std::string> writes;

    PortFailure open(const PortAddress& address) override {
        device_ = machineDevice(address);
        return device_->open(address);
    }
    PortFailure write(const char* data, int size, int& sent) override {
        writes.emplace_back(data, static_cast<std::size_t>(size));
        return device_->write(data, size, sent);
    }

private:
    ComDevice& target() override { return *device_; }
    std::unique_ptr<ComDevice> device_ = machineDevice(PortAddress());
};

struct CliRun {
    int status;
    std::string out;  // what the shell redirections in `args` put on stdout
};

CliRun stelaCli(const std::string& args) {
    CliRun run{-1, {}};
    FILE* out = popen((std::string(STELA_CLI_PATH) + " " + args).c_str(), "r");
    for (int c; (c = std::fgetc(out)) != EOF;) {
        run.out += static_cast<char>(c);
    }
    const int status = pclose(out);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

enum class Scheme { Tcp, Rfc2217 };

class Ser2netTest : public ::testing::TestWithParam<Scheme> {
protected:
    void SetUp() override {
        if (!Ser2net::installed()) {
            GTEST_SKIP() << "ser2net is not installed (scripts/deps installs it)";
        }
        server = std::make_unique<test::Ser2net>(sign.devicePath());
        line.kill = [this] { server->kill(); };
        sign.model().setObserver(&line);
        sign.start();
        // As the window reaches it: a COM name whose link points at the server.
        home.linkCom(7, url());
        loadSignPortSettings(port);
        port.SetPort("COM7");
    }
    void TearDown() override {
        port.Close();
        sign.stop();  // the observer's records are ours from here
    }

    std::string url() const {
        return GetParam() == Scheme::Tcp ? server->tcpUrl() : server->rfc2217Url();
    }
    std::string otherUrl() const {
        return GetParam() == Scheme::Tcp ? server->rfc2217Url() : server->tcpUrl();
    }

    using Ser2net = test::Ser2net;
    test::ScopedConfigHome home;
    test::ServedSign sign;
    SignLine line;
    std::unique_ptr<Ser2net> server;
    WriteTap* tap = new WriteTap;
    TComPort port{std::unique_ptr<ComDevice>(tap)};
    test::RecordingObserver observer;
    SteadyClock clock;
    Console console{observer, port, clock};
};

int countOf(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

TEST_P(Ser2netTest, ReadWriteAndBrightnessReachTheSignFrameForFrame) {
    sign.stop();
    sign.model().setHalf(0, {"4567", '3', '1'});
    sign.model().setHalf(8, {"4567", '3', '1'});
    sign.start();
    port.Open();

    const ReadOutcome read = console.readPrices();
    EXPECT_EQ(read.at(5, Half::First).reply.priceText(), "45.67");
    for (int row = 1; row <= 5; ++row) {
        EXPECT_TRUE(read.at(row, Half::First).valid()) << row;
        EXPECT_TRUE(read.at(row, Half::Second).valid()) << row;
    }

    observer.log.clear();
    console.writePrices([](int row) {
        return row == 1   ? PriceRowInputs{"12.34", false, 2, true, false}
               : row == 5 ? PriceRowInputs{"  .  ", true, 4, false, true}
                          : PriceRowInputs{"--.--", false, 0, false, false};  // as read
    });
    // Every half confirmed by its first attempt: no quick reply was cleared away
    // (on a loaded machine one may come at a later poll).
    const auto& written = observer.log;
    EXPECT_EQ(countOf(written, "--- Жду ответ после записи данных ---"), 10);
    EXPECT_EQ(countOf(written, "Ошибка чтения!!! "), 0);

    console.manualBrightness(5);

    port.Close();
    sign.stop();
    EXPECT_EQ(sign.model().half(4).price, "1234");
    EXPECT_EQ(sign.model().half(0).price, "----");
    EXPECT_EQ(sign.model().brightnessLevel(), 5);
    // Nothing of the link's own (Telnet) reached the line, nothing was lost or doubled.
    EXPECT_EQ(line.frames, tap->writes);
    std::string sent;
    for (const std::string& w : tap->writes) {
        sent += w;
    }
    EXPECT_EQ(line.bytes, sent);
}

TEST_P(Ser2netTest, A0xFFTravelsAsOneByteBothWays) {
    sign.stop();
    sign.model().addFault(Fault::surplus("\xFF\x01\xFF\xFF"s));
    sign.start();
    port.Open();
    port.ClearBuffers(true, true);
    port.WriteText(
        "\xFF"
        "R0E\xFF\xFF"s);
    std::string reply;
    for (int i = 0; i < 100 && port.QueuedInputCount() < 18; ++i) {
        clock.sleep_ms(10);
    }
    port.ReadText(reply, 100);
    EXPECT_EQ(reply.substr(14), "\xFF\x01\xFF\xFF"s);
    EXPECT_TRUE(identifiesSign(reply));
    port.Close();
    sign.stop();
    EXPECT_EQ(line.bytes,
              "\xFF"
              "R0E\xFF\xFF"s);
}

TEST_P(Ser2netTest, TheClearDiscardsWhatHasArrivedAndNothingAfter) {
    port.Open();
    port.WriteText("R0E");
    line.waitForReplies(1);  // the reply is in, unread
    port.ClearBuffers(true, true);
    EXPECT_EQ(port.QueuedInputCount(), 0);

    // As the write confirmation does: write, then clear. The reply to the frame
    // before goes, the reply to this one stays.
    port.WriteText("R0E");
    line.waitForReplies(2);
    port.WriteText("R1E");
    port.ClearBuffers(true, true);
    line.waitForReplies(3);
    std::string reply;
    port.ReadText(reply, 100);
    EXPECT_EQ(reply, composeReadReply('1', "----", '1', '0', "A0"));
}

TEST_P(Ser2netTest, AServerThatDiesMidReadIsAnAdapterThatWentAway) {
    port.Open();
    line.killOn(FrameKind::Read, 3);
    try {
        console.readPrices();
        FAIL() << "the read went on without its server";
    } catch (const EComPort& error) {
        EXPECT_EQ(error.SystemCode(), EIO) << error.what();
        EXPECT_NE(portTroubleHint(error, port.Address()).find("Связь с " + url() + " потеряна"),
                  std::string::npos);
    }
    port.Close();
    EXPECT_FALSE(port.Connected());
}

TEST_P(Ser2netTest, AServerServingAnotherClientTurnsUsAwayAsBusy) {
    // Another client on the other accepter holds the line.
    PortUrl other;
    ASSERT_EQ(parsePortUrl(otherUrl(), other), PortUrlProblem::None);
    const int client = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(other.port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    char banner[64];
    ::recv(client, banner, sizeof banner, MSG_DONTWAIT);
    ASSERT_TRUE(server->opens(sign.devicePath())) << "ser2net opens the line for it";
    try {
        port.Open();
        FAIL() << "opened a line another client holds";
    } catch (const EComPort& error) {
        EXPECT_EQ(error.Code(), EComPort::kOpenFailed);
        EXPECT_EQ(error.SystemCode(), EBUSY);
        EXPECT_EQ(portTroubleHint(error, port.Address()), url() + " занят другой программой.");
    }
    ::close(client);
}

TEST_P(Ser2netTest, TheMonitorSeesTheWriteLeaveAndTheReplyArrive) {
    auto dispatcher = std::make_shared<test::ManualDispatcher>();
    port.SetEventDispatcher(dispatcher);
    port.SetEvents({evRxChar, evTxEmpty});
    std::vector<std::string> seen;
    port.OnTxEmpty = [&](TCustomComPort&) { seen.push_back("tx empty"); };
    port.OnRxChar = [&](TCustomComPort&, int count) { seen.push_back(std::to_string(count)); };
    port.Open();
    port.WriteText("R0E");
    // The reply's bytes come as the line brings them: one batch or several.
    for (int posts = 1; posts < 100 && (seen.empty() || seen.back() != "14"); ++posts) {
        dispatcher->waitForPosts(posts);
        dispatcher->runPending();
    }
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), "tx empty");
    EXPECT_EQ(seen.back(), "14");
}

// The server dies as the second half of row 3 reaches the sign, which never
// confirms it: the same account as for an adapter pulled at that moment.
TEST_P(Ser2netTest, StelaCliToldOfAServerLostMidWriteSaysWhatTheSignHolds) {
    port.Close();
    sign.stop();
    sign.model().addFault(
        Fault::silence().forAddress(halfAddress(3, Half::Second)).onFrames(FrameKind::Write));
    const char lastHalf = addressCharacter(halfAddress(3, Half::Second));
    line.killOn([lastHalf](const FrameEvent& event) {
        return event.kind == FrameKind::Write && addressCharacterOf(event.bytes) == lastHalf;
    });
    sign.start();
    const std::string file = home.path() + "/prices.json";
    std::ofstream(file) << R"({"rows": [
        {"row": 1, "price": "11.11"}, {"row": 2, "price": "22.22"}, {"row": 3, "price": "33.33"},
        {"row": 4, "price": "44.44"}, {"row": 5, "price": "55.55"}]})";

    const CliRun run = stelaCli("write --port " + url() + " --file " + file + " 2>&1 >/dev/null");
    EXPECT_EQ(run.status, 3);
    // stela-cli speaks English under the tests' C locale.
    EXPECT_EQ(run.out.substr(run.out.find('\n') + 1),
              "The connection to " + url() +
                  " is lost: the server closed it or the network failed. Check the server "
                  "and the network, then run the command again.\n"
                  "Rows written and confirmed: 5, 4.\n"
                  "Row 3 may show two different prices: its first half confirmed, its second "
                  "sent but not confirmed.\n"
                  "Rows not written: 2, 1 (the sign shows the old prices).\n"
                  "Write the prices again once the connection is back.\n");
}

INSTANTIATE_TEST_SUITE_P(BothSchemes, Ser2netTest, ::testing::Values(Scheme::Tcp, Scheme::Rfc2217),
                         [](const ::testing::TestParamInfo<Scheme>& scheme) {
                             return scheme.param == Scheme::Tcp ? "Tcp" : "Rfc2217";
                         });

// RFC 2217 alone carries the line settings.
class Rfc2217SettingsTest : public Ser2netTest {};

speed_t ptySpeed(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios t{};
    tcgetattr(fd, &t);
    ::close(fd);
    return cfgetospeed(&t);
}

TEST_P(Rfc2217SettingsTest, TheLineSpeedReachesThePseudoTerminal) {
    port.Open();
    EXPECT_EQ(ptySpeed(sign.devicePath()), B19200);
    port.SetBaudRate(br9600);
    EXPECT_EQ(ptySpeed(sign.devicePath()), B9600);
    port.SetBaudRate(br19200);
    EXPECT_EQ(ptySpeed(sign.devicePath()), B19200);
}

TEST_P(Rfc2217SettingsTest, ASettingTheServerDoesNotTakeFailsAndTheLineWorksOn) {
    port.Open();
    // A pseudo-terminal has no 1.5 stop bits; ser2net says nothing to it.
    try {
        port.SetStopBits(sbOne5StopBits);
        FAIL() << "1.5 stop bits taken";
    } catch (const EComPort& error) {
        EXPECT_EQ(error.Code(), EComPort::kLineSettingsFailed);
        EXPECT_EQ(error.SystemCode(), EINVAL);
    }
    port.SetStopBits(sbOneStopBit);
    EXPECT_TRUE(console.readPrices().at(1, Half::First).valid());
}

INSTANTIATE_TEST_SUITE_P(Rfc2217, Rfc2217SettingsTest, ::testing::Values(Scheme::Rfc2217));

TEST(StelaCliOverTheNetwork, TakesAUrlAsItsPortAndSaysWhyOneFails) {
    if (!test::Ser2net::installed()) {
        GTEST_SKIP() << "ser2net is not installed";
    }
    test::ScopedConfigHome home;
    test::ServedSign sign;
    sign.start();
    const test::Ser2net server(sign.devicePath());

    // A host name, as a technician would write one (ser2net listens on 127.0.0.1;
    // where localhost also stands for ::1, that address refuses and the next is tried).
    std::string url = server.rfc2217Url();
    url.replace(url.find("127.0.0.1"), 9, "localhost");
    const CliRun read = stelaCli("read --format csv --port " + url + " 2>&1");
    EXPECT_EQ(read.status, 0) << read.out;
    EXPECT_NE(read.out.find("row,1,,,,unused,80,0,0,1"), std::string::npos) << read.out;

    // The shorthand of 127.0.0.1 is a mistyped address: refused before anything connects.
    const std::string shorthand = "rfc2217://127.1" + url.substr(url.rfind(':'));
    const CliRun bad = stelaCli("read --port " + shorthand + " 2>&1");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.out.rfind("stela-cli: --port: \"" + shorthand + "\" is no network port", 0), 0u);
}

}  // namespace
}  // namespace stela
