// The event monitor on real pseudo-terminals, in real time: the device's watch,
// and the port's monitor over it.
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <future>
#include <thread>

#include "posix/PosixComDevice.h"
#include "protocol/Clock.h"
#include "serial/EventMask.h"
#include "serial/TComPort.h"
#include "tests/serial/EmulatedLineCounters.h"
#include "tests/support/ManualDispatcher.h"
#include "tests/support/ProcessCounts.h"
#include "tests/support/PtyPair.h"
#include "tests/support/ScopedConfigHome.h"
#include "tests/support/ServedSign.h"
#include "tests/workflows/RecordingObserver.h"
#include "workflows/Console.h"
#include "workflows/SignPort.h"

namespace stela {
namespace {

using namespace std::chrono_literals;
using test::threadCount;
using test::threadCountReaching;

struct WaitResult {
    bool goesOn;
    std::uint32_t kinds;
};

std::future<WaitResult> waitOn(LineEventWatch& watch) {
    return std::async(std::launch::async, [&watch] {
        std::uint32_t kinds = 0;
        const bool goesOn = watch.wait(kinds);
        return WaitResult{goesOn, kinds};
    });
}

bool stillWaiting(std::future<WaitResult>& wait) {
    return wait.wait_for(100ms) == std::future_status::timeout;
}

bool finished(std::future<WaitResult>& wait) {
    return wait.wait_for(2s) == std::future_status::ready;
}

// Stops a watch as the test ends, however it ends, so that no wait outlives it.
struct StopOnExit {
    LineEventWatch& watch;
    ~StopOnExit() { watch.stop(); }
};

// Waits until `condition` holds, for up to two seconds.
template <typename Condition>
bool eventually(Condition condition) {
    for (int i = 0; i < 400 && !condition(); ++i) {
        std::this_thread::sleep_for(5ms);
    }
    return condition();
}

class EventMonitorPtyTest : public ::testing::Test {
protected:
    // The port as the window sets it up, on COM7 = a fresh pseudo-terminal.
    EventMonitorPtyTest() {
        home.linkCom(7, pty.slavePath());
        loadSignPortSettings(port);
        port.SetPort("COM7");
        port.SetEventDispatcher(dispatcher);
        port.OnRxChar = [this](TCustomComPort&, int count) { counts.push_back(count); };
    }

    test::ScopedConfigHome home;
    test::PtyPair pty;
    std::shared_ptr<test::ManualDispatcher> dispatcher = std::make_shared<test::ManualDispatcher>();
    TComPort port;
    std::vector<int> counts;  // of each OnRxChar
};

TEST_F(EventMonitorPtyTest, TheWatchWakesForNewBytesOnlyAndForDrainedWrites) {
    PosixComDevice device;
    ASSERT_FALSE(device.open(PortAddress::of("COM7")));
    pty.send("ab");  // already queued when the watch starts: one wake-up
    std::unique_ptr<LineEventWatch> watch;
    ASSERT_FALSE(device.watchEvents(eventMask(allComEvents), watch));
    std::future<WaitResult> wait = waitOn(*watch);
    const StopOnExit stopper{*watch};

    ASSERT_TRUE(finished(wait));
    WaitResult result = wait.get();
    EXPECT_TRUE(result.goesOn);
    EXPECT_EQ(result.kinds, kEvRxChar) << "a pseudo-terminal has no modem lines or error counts";

    wait = waitOn(*watch);
    EXPECT_TRUE(stillWaiting(wait)) << "the two bytes are still unread";
    pty.send("c");
    ASSERT_TRUE(finished(wait));
    EXPECT_EQ(wait.get().kinds, kEvRxChar);

    wait = waitOn(*watch);
    int sent = 0;
    ASSERT_FALSE(device.write("R0E", 3, sent));
    ASSERT_TRUE(finished(wait));
    EXPECT_EQ(wait.get().kinds, kEvTxEmpty);

    wait = waitOn(*watch);
    EXPECT_TRUE(stillWaiting(wait));
    watch->stop();
    ASSERT_TRUE(finished(wait));
    EXPECT_FALSE(wait.get().goesOn);
    std::uint32_t kinds = 0;
    EXPECT_FALSE(watch->wait(kinds)) << "a stopped watch stays stopped";

    char bytes[8];
    int received = 0;
    EXPECT_FALSE(device.read(bytes, sizeof bytes, received));
    EXPECT_EQ(std::string(bytes, std::size_t(received)), "abc") << "the watch read nothing";
}

TEST_F(EventMonitorPtyTest, AByteArrivingWhileIdleIsDispatchedOnceAndStaysQueued) {
    port.Open();
    pty.send("T");
    ASSERT_TRUE(dispatcher->waitForPosts(1));
    EXPECT_TRUE(counts.empty()) << "dispatched only when the port's thread runs it";
    dispatcher->runPending();
    EXPECT_EQ(counts, std::vector<int>{1});

    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(dispatcher->posted(), 1) << "no new bytes, no new batch";

    pty.send("0");
    ASSERT_TRUE(dispatcher->waitForPosts(2));
    dispatcher->runPending();
    EXPECT_EQ(counts, (std::vector<int>{1, 2}));
    std::string text;
    EXPECT_EQ(port.ReadText(text, 14), 2);
    EXPECT_EQ(text, "T0");
}

// Stopping discards both queues; on a pseudo-terminal the output "queue" is
// the far end's input, and a frame just written must still get there.
TEST_F(EventMonitorPtyTest, CloseWithABatchHandedOverRunsItAndCompletesAtOnce) {
    port.Open();
    pty.send("x");
    ASSERT_TRUE(dispatcher->waitForPosts(1));
    port.WriteText("W0000010E23");
    const auto start = std::chrono::steady_clock::now();
    port.Close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 50ms);
    EXPECT_EQ(counts, std::vector<int>{1});
    EXPECT_EQ(pty.receive(11), "W0000010E23");
}

TEST_F(EventMonitorPtyTest, AFarEndThatGoesAwayEndsTheMonitor) {
    const int threads = threadCount();
    port.Open();
    EXPECT_EQ(threadCountReaching(threads + 1), threads + 1);
    pty.closeMaster();
    EXPECT_EQ(threadCountReaching(threads), threads) << "the monitor ends rather than spin";
    EXPECT_EQ(dispatcher->posted(), 0);
    port.Close();
    EXPECT_FALSE(port.Connected());
}

// A driver with interrupt counters (a UART, a USB adapter): a thread waits in
// TIOCMIWAIT for the watched modem lines, and errors and breaks are found by
// the wake-up for the byte that comes with them.
TEST_F(EventMonitorPtyTest, ACountingDriverReportsModemLinesErrorsAndBreaks) {
    test::EmulatedLineCounters uart(pty.slaveFd());
    std::vector<std::string> seen;
    port.OnCTSChange = [&](TCustomComPort&, bool) { seen.push_back("OnCTSChange"); };
    port.OnRing = [&](TCustomComPort&) { seen.push_back("OnRing"); };
    port.OnError = [&](TCustomComPort&, TComErrors errors) {
        seen.push_back("OnError " + std::to_string(errors.bits()));
    };
    port.OnBreak = [&](TCustomComPort&) { seen.push_back("OnBreak"); };
    port.OnRxChar = [&](TCustomComPort&, int count) {
        seen.push_back("OnRxChar " + std::to_string(count));
    };
    const int threads = threadCount();
    port.Open();
    seen.clear();
    EXPECT_EQ(threadCountReaching(threads + 2), threads + 2)
        << "the monitor and the modem-line waiter";
    ASSERT_TRUE(eventually([&] { return uart.waits() == 1; }));

    int posted = 0;
    auto dispatched = [&](const std::function<void()>& happen) {
        happen();
        EXPECT_TRUE(dispatcher->waitForPosts(++posted));
        dispatcher->runPending();
    };
    dispatched([&] { uart.changeLine(TIOCM_CTS); });
    dispatched([&] { uart.changeLine(TIOCM_RNG); });
    dispatched([&] {
        uart.countFramingError();
        pty.send("x");
    });
    dispatched([&] {
        uart.countBreak();
        pty.send(std::string(1, '\0'));  // a break reads as 0x00, which the port drops
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"OnCTSChange", "OnRing", "OnError 1", "OnRxChar 1",
                                              "OnRxChar 1", "OnBreak"}));

    const auto start = std::chrono::steady_clock::now();
    port.Close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 50ms) << "the waiter is woken at once";
    EXPECT_EQ(threadCountReaching(threads), threads);
}

TEST_F(EventMonitorPtyTest, OpenAndCloseWithBytesArrivingLeaveNoThreadOrDescriptor) {
    port.Open();  // the first open sets up what stays (the translation catalogue, say)
    port.Close();
    const int threads = threadCount();
    const int fds = test::openFdCount();
    for (int cycle = 0; cycle < 1000; ++cycle) {
        port.Open();
        const int posted = dispatcher->posted();
        ASSERT_EQ(::write(pty.masterFd(), "W", 1), 1);
        if (cycle % 10 == 0) {
            ASSERT_TRUE(dispatcher->waitForPosts(posted + 1)) << "cycle " << cycle;
            dispatcher->runPending();
        }
        port.Close();
    }
    dispatcher->runPending();  // calls posted for batches that Close ran
    EXPECT_EQ(threadCountReaching(threads), threads);
    EXPECT_EQ(test::openFdCountReaching(fds), fds);
    EXPECT_GE(counts.size(), 100u);
}

// A reply that arrives while a workflow sleeps between its polls: the monitor
// waits with its batch until the workflow lets events run at a progress step,
// and every reply byte is left to the workflow's own polls.
TEST(EventMonitorWorkflowTest, RepliesDuringAReadAreAllLeftToItsPolls) {
    test::ScopedConfigHome home;
    test::ServedSign sign;
    sign.start();
    home.linkCom(6, sign.devicePath());
    TComPort port;
    loadSignPortSettings(port);
    port.SetPort("COM6");
    auto dispatcher = std::make_shared<test::ManualDispatcher>();
    port.SetEventDispatcher(dispatcher);
    test::RecordingObserver observer;
    bool lettingEventsRun = false;
    observer.onStopNow = [&] {
        lettingEventsRun = true;
        dispatcher->runPending();
        lettingEventsRun = false;
        return false;
    };
    std::vector<std::string> batches;
    auto record = [&](const std::string& what) {
        EXPECT_TRUE(lettingEventsRun) << what << " outside a progress step";
        batches.push_back(what + " at " + std::to_string(observer.progressStep));
    };
    port.OnRxChar = [&](TCustomComPort&, int count) {
        record("OnRxChar " + std::to_string(count));
    };
    port.OnTxEmpty = [&](TCustomComPort&) { record("OnTxEmpty"); };
    port.Open();

    SteadyClock clock;
    Console console(observer, port, clock);
    const ReadOutcome read = console.readPrices();
    for (int row = 1; row <= 5; ++row) {
        for (Half half : {Half::First, Half::Second}) {
            EXPECT_TRUE(read.at(row, half).valid()) << row;
        }
    }
    int reads = 0;
    for (const std::string& line : observer.log) {
        reads += line.rfind("--- Читаю панель", 0) == 0;
    }
    EXPECT_EQ(reads, 10) << "every half read at its first pass";
    EXPECT_GE(batches.size(), 5u) << ::testing::PrintToString(batches);
    port.Close();
}

}  // namespace
}  // namespace stela
