// The port's event monitor over a scripted device: what it selects, when and
// where each batch is dispatched, and how it ends.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "serial/EComPort.h"
#include "serial/EventMask.h"
#include "serial/TComPort.h"
#include "tests/serial/RecordingComDevice.h"
#include "tests/support/ManualDispatcher.h"
#include "tests/support/ProcessCounts.h"

namespace stela {
namespace {

using Log = std::vector<std::string>;
using namespace std::chrono_literals;

using test::threadCount;
using test::threadCountReaching;

class EventMonitorTest : public ::testing::Test {
protected:
    EventMonitorTest() { port.SetEventDispatcher(dispatcher); }

    std::unique_ptr<ComDevice> adopt() {
        auto fake = std::make_unique<test::RecordingComDevice>(log);
        device = fake.get();
        return fake;
    }
    void openQuietly() {
        port.Open();
        log.clear();
    }
    // Every hook's handler, writing into the device's log.
    void recordHandlers() {
        port.OnError = [this](TCustomComPort&, TComErrors e) {
            log.push_back("OnError " + std::to_string(e.bits()));
        };
        port.OnRxChar = [this](TCustomComPort&, int n) {
            log.push_back("OnRxChar " + std::to_string(n));
        };
        port.OnTxEmpty = [this](TCustomComPort&) { log.push_back("OnTxEmpty"); };
        port.OnBreak = [this](TCustomComPort&) { log.push_back("OnBreak"); };
        port.OnRing = [this](TCustomComPort&) { log.push_back("OnRing"); };
        port.OnCTSChange = [this](TCustomComPort&, bool on) { signal("OnCTSChange", on); };
        port.OnDSRChange = [this](TCustomComPort&, bool on) { signal("OnDSRChange", on); };
        port.OnRxFlag = [this](TCustomComPort&) { log.push_back("OnRxFlag"); };
        port.OnRLSDChange = [this](TCustomComPort&, bool on) { signal("OnRLSDChange", on); };
        port.OnRx80Full = [this](TCustomComPort&) { log.push_back("OnRx80Full"); };
    }
    void signal(const char* name, bool on) {
        log.push_back(std::string(name) + (on ? " on" : " off"));
    }
    // The monitor has handed over nothing more after it went back to waiting.
    void expectNothingMorePosted(int posted) {
        std::this_thread::sleep_for(50ms);
        EXPECT_EQ(dispatcher->posted(), posted);
    }

    Log log;
    test::RecordingComDevice* device = nullptr;
    std::shared_ptr<test::ManualDispatcher> dispatcher = std::make_shared<test::ManualDispatcher>();
    TComPort port{adopt()};
};

TEST_F(EventMonitorTest, NoEventsOrNoDispatcherMeansNoMonitor) {
    const int threads = threadCount();
    port.SetEvents({});
    port.Open();
    EXPECT_EQ(threadCountReaching(threads), threads);
    port.Close();

    port.SetEvents(allComEvents);
    port.SetEventDispatcher(nullptr);
    port.Open();
    EXPECT_EQ(threadCountReaching(threads), threads);
    port.Close();
    for (const std::string& call : log) {
        EXPECT_NE(call.rfind("watch", 0), 0u) << call;
    }
}

TEST_F(EventMonitorTest, OpenSelectsTheEventsAndCloseEndsTheMonitorBeforeTheDevice) {
    const int threads = threadCount();
    port.Open();
    EXPECT_EQ(log, (Log{"open COM1", "queues 1024 1024", "line", "timeouts", "watch 0x05FF",
                        "lines", "lines", "lines"}));
    EXPECT_EQ(threadCountReaching(threads + 1), threads + 1);
    ASSERT_TRUE(device->lineEvents->waitForWaits(1)) << "the monitor waits on the device";

    log.clear();
    port.Close();
    EXPECT_EQ(log, (Log{"abort", "unwatch", "purge in out", "close"}))
        << "no event selected and both queues discarded before the device closes";
    EXPECT_EQ(threadCountReaching(threads), threads);

    log.clear();
    port.SetEvents({evRxChar, evCTS});
    port.Open();
    EXPECT_EQ(log[4], "watch 0x0009");
    port.SetEvents({});
    port.Close();
    EXPECT_EQ(log[log.size() - 3], "unwatch") << "a change of Events waits for the next Open";
}

TEST_F(EventMonitorTest, EachBatchRunsOnThePortsThreadInTheOrderOfTheSteps) {
    recordHandlers();
    openQuietly();
    device->incoming = "abc";
    device->lines = {csCTS, csRLSD};
    device->errors = {ceFrame};
    // Every kind, and bits that stand for none.
    device->lineEvents->report(0x05FF | 0x0200 | 0x1000);
    ASSERT_TRUE(dispatcher->waitForPosts(1));
    EXPECT_TRUE(log.empty()) << "nothing runs on the monitor's thread";

    const std::thread::id self = std::this_thread::get_id();
    std::thread::id ranOn;
    port.OnTxEmpty = [&](TCustomComPort&) {
        ranOn = std::this_thread::get_id();
        log.push_back("OnTxEmpty");
    };
    EXPECT_EQ(dispatcher->runPending(), 1);
    EXPECT_EQ(ranOn, self);
    EXPECT_EQ(log, (Log{"errors", "OnError 1", "OnRxChar 3", "OnTxEmpty", "OnBreak", "OnRing",
                        "lines", "OnCTSChange on", "lines", "OnDSRChange off", "OnRxFlag", "lines",
                        "OnRLSDChange on", "OnRx80Full"}));

    std::string text;
    EXPECT_EQ(port.ReadText(text, 10), 3) << "the count consumed nothing";
    EXPECT_EQ(text, "abc");
}

TEST_F(EventMonitorTest, WithoutHandlersABatchOnlyQueriesTheDevice) {
    openQuietly();
    device->incoming = "WOK";
    device->errors = {ceOverrun};
    device->lineEvents->report(eventMask(allComEvents));
    ASSERT_TRUE(dispatcher->waitForPosts(1));
    dispatcher->runPending();
    EXPECT_EQ(log, (Log{"errors", "lines", "lines", "lines"}));
    EXPECT_EQ(port.QueuedInputCount(), 3);
    EXPECT_TRUE(port.LineErrors().empty()) << "the dispatch's read cleared the errors";
}

TEST_F(EventMonitorTest, TheMonitorHandsOverOneBatchAtATime) {
    recordHandlers();
    openQuietly();
    device->incoming = "1";
    device->lineEvents->report(kEvRxChar);
    device->lineEvents->report(kEvTxEmpty);
    ASSERT_TRUE(dispatcher->waitForPosts(1));
    expectNothingMorePosted(1);
    EXPECT_EQ(device->lineEvents->waits(), 1) << "blocked until the first is dispatched";

    dispatcher->runPending();
    ASSERT_TRUE(dispatcher->waitForPosts(2));
    dispatcher->runPending();
    EXPECT_EQ(log, (Log{"OnRxChar 1", "OnTxEmpty"}));
    EXPECT_TRUE(device->lineEvents->waitForWaits(3));
}

TEST_F(EventMonitorTest, CloseRunsTheBatchHandedOverAndCompletes) {
    recordHandlers();
    openQuietly();
    device->incoming = "x";
    device->lineEvents->report(kEvRxChar);
    ASSERT_TRUE(dispatcher->waitForPosts(1));

    const auto start = std::chrono::steady_clock::now();
    port.Close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 50ms);
    EXPECT_EQ(log, (Log{"OnCTSChange off", "OnDSRChange off", "OnRLSDChange off", "abort",
                        "OnRxChar 1", "unwatch", "purge in out", "close"}));

    log.clear();
    EXPECT_EQ(dispatcher->runPending(), 1);
    EXPECT_TRUE(log.empty()) << "the posted call finds nothing left to do";
}

TEST_F(EventMonitorTest, AFailingQueryEndsTheMonitorQuietlyAndThePortWorksOn) {
    recordHandlers();
    openQuietly();
    device->failures = {{"lines", EIO}};
    device->lineEvents->report(kEvCts | kEvTxEmpty);
    ASSERT_TRUE(dispatcher->waitForPosts(1));
    EXPECT_NO_THROW(dispatcher->runPending());
    EXPECT_EQ(log, (Log{"OnTxEmpty", "lines"})) << "the failure ends the batch";

    device->lineEvents->report(kEvTxEmpty);
    expectNothingMorePosted(1);
    EXPECT_EQ(device->lineEvents->waits(), 1) << "the monitor has ended";

    device->failures.clear();
    EXPECT_EQ(port.WriteText("R0E"), 3);
    device->incoming = "T0";
    EXPECT_EQ(port.QueuedInputCount(), 2);
    std::string text;
    EXPECT_EQ(port.ReadText(text, 5), 2);

    log.clear();
    port.Close();
    EXPECT_EQ(log, (Log{"OnCTSChange off", "OnDSRChange off", "OnRLSDChange off", "abort",
                        "unwatch", "close"}))
        << "the ended monitor discards no queue";
}

TEST_F(EventMonitorTest, AHandlerMayCloseThePort) {
    openQuietly();
    int closes = 0;
    port.OnRxChar = [&](TCustomComPort& sender, int) {
        ++closes;
        sender.Close();
    };
    device->incoming = "x";
    device->lineEvents->report(kEvRxChar | kEvTxEmpty);
    ASSERT_TRUE(dispatcher->waitForPosts(1));
    dispatcher->runPending();
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(port.Connected());

    // The same from the dispatch that Close itself runs.
    port.Open();
    device->incoming = "y";
    device->lineEvents->report(kEvRxChar);
    ASSERT_TRUE(dispatcher->waitForPosts(2));
    port.Close();
    EXPECT_EQ(closes, 2);
    EXPECT_FALSE(port.Connected());
}

TEST_F(EventMonitorTest, APortWhoseCloseFailsStopsItsMonitorWhenDestroyed) {
    Log otherLog;
    const int threads = threadCount();
    {
        auto fake = std::make_unique<test::RecordingComDevice>(otherLog);
        fake->failures = {{"abort", EIO}};
        TComPort doomed(std::move(fake));
        doomed.SetEventDispatcher(dispatcher);
        doomed.Open();
        otherLog.clear();
    }
    EXPECT_EQ(otherLog, (Log{"abort", "unwatch", "purge in out", "close"}));
    EXPECT_EQ(threadCountReaching(threads), threads);
}

}  // namespace
}  // namespace stela
