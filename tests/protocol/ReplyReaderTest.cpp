#include "protocol/ReplyReader.h"

#include <gtest/gtest.h>

#include "protocol/Frames.h"
#include "serial/EComPort.h"
#include "tests/support/SimFixture.h"

namespace stela {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;
using std::chrono::nanoseconds;
using Lines = std::vector<std::string>;

class ReplyReaderTest : public ::testing::Test {
protected:
    ReplyReaderTest() : sign(sim.device->attachSign("COM3")) { sim.port.SetPort("COM3"); }

    void open() { sim.port.Open(); }

    test::SimPort sim;
    SignModel& sign;
    test::LogLines log;
    ReplyReader reader{sim.port, sim.clock, log};
    std::string buffer = "old";
};

TEST_F(ReplyReaderTest, BoardSearchLogsBeforeEachSleepAndPrintsTheSearchDelay) {
    open();
    reader.run(boardSearchExchange(), buffer);
    EXPECT_EQ(log.lines, (Lines{"Отправлено:R0E", "Принято символов:0",
                                "1 попыток чтения прошло. Задержка 200мс", "Принял:T0----10A0"}));
    EXPECT_EQ(buffer, "T0----10A0");
    // Surplus bytes of the 14-byte reply stay queued until the next clear.
    EXPECT_EQ(sim.port.QueuedInputCount(), 4);
    EXPECT_EQ(sim.clock.sleptMs(), 50);
}

TEST_F(ReplyReaderTest, BoardSearchReplyCompleteOnlyAtTheFourthPollIsNotRead) {
    open();
    // The 12th byte arrives during the fourth sleep (150..200 ms after sending).
    sign.setProcessingDelay(milliseconds(160) - wireTime(12));
    reader.run(boardSearchExchange(), buffer);
    EXPECT_EQ(log.lines, (Lines{"Отправлено:R0E", "Принято символов:0", "Принято символов:0",
                                "Принято символов:0", "Принято символов:0",
                                "4 попыток чтения прошло. Задержка 200мс", "Ошибка чтения!!! ",
                                "Принял:==========="}));
    EXPECT_EQ(buffer, "===========");
    EXPECT_EQ(sim.port.QueuedInputCount(), 14);
}

TEST_F(ReplyReaderTest, SilentPanelReadLogsEveryStepAndKeepsTheFiller) {
    sign.addFault(Fault::silence());
    open();
    reader.run(panelReadExchange('<'), buffer);
    EXPECT_EQ(log.lines, (Lines{"--- Читаю панель< ---", "Принято символов:0", "Принято символов:0",
                                "Принято символов:0", "3 попыток чтения прошло. Задержка 50мс",
                                "Мало принял данных ", "-----BigError Loop------ ",
                                "Принял:" + std::string(16, ' ')}));
    EXPECT_EQ(buffer, std::string(16, ' '));
    EXPECT_EQ(sim.clock.sleptMs(), 4 * 50);  // the pause before sending and three polls
}

TEST_F(ReplyReaderTest, PanelReadPausesClearsLogsThenWrites) {
    open();
    reader.run(panelReadExchange('0'), buffer);
    ASSERT_EQ(sim.device->written().size(), 1u);
    EXPECT_EQ(sim.device->written()[0].bytes, "R0E");
    EXPECT_EQ(sim.device->written()[0].atMs, 50);
    EXPECT_EQ(log.lines,
              (Lines{"--- Читаю панель0 ---", "Принято символов:14",
                     "1 попыток чтения прошло. Задержка 50мс", "Принял:T0----10A0OK10"}));
}

// The count rule asks the port afresh: a 14th byte that arrives after the
// third poll's test but before the success test is read.
TEST_F(ReplyReaderTest, PanelReplyCompletedJustBeforeTheSuccessTestIsRead) {
    const SimTime query = microseconds(10);
    sim.device->setReadCost(query);
    open();
    // Timeline: pause 50 ms, the 3-byte frame handed to the UART at once, three
    // polls of (50 ms sleep, logged query, tested query), then the success test.
    // The 14th byte lands between the third poll's test and the success test.
    const SimTime written = milliseconds(50);
    const SimTime thirdTest = written + 3 * milliseconds(50) + 5 * query;
    const SimTime arrival = thirdTest + query / 2;
    sign.setProcessingDelay(arrival - (written + wireTime(3)) - wireTime(14));

    reader.run(panelReadExchange('1'), buffer);
    EXPECT_EQ(log.lines[3], "Принято символов:13");  // the third poll saw 13 of 14
    EXPECT_EQ(log.lines[4], "3 попыток чтения прошло. Задержка 50мс");
    EXPECT_EQ(log.lines[5], "Принял:" + buffer);
    EXPECT_EQ(buffer.size(), 14u);
    EXPECT_TRUE(checkReadReply(buffer));
}

TEST_F(ReplyReaderTest, WriteConfirmationSeenInFullAtTheFirstPoll) {
    const std::string frame = composeWriteFrame('0', {"45.67", false, 2, true, false});
    sign.addFault(Fault::truncated(3).onFrames(FrameKind::Write));
    open();
    reader.run(writeConfirmationExchange(frame), buffer);
    EXPECT_EQ(log.lines, (Lines{"--- Жду ответ после записи данных ---", "Принято символов:3",
                                "1 попыток чтения прошло. Задержка 50мс", "Принял:WOK"}));
    EXPECT_EQ(buffer, "WOK");
    EXPECT_EQ(sign.half(0).price, "4567");
}

// The write ends once the frame is with the UART, while it is still on the wire:
// the clear that follows comes before a quick sign can answer, and does not cut
// the frame the hardware holds.
TEST_F(ReplyReaderTest, WriteConfirmationOfASignAnsweringHalfAMillisecondAfterTheFrame) {
    struct : SignObserver {
        SimTime at{};
        void frameReceived(const FrameEvent& e) override { at = e.at; }
    } frameComplete;
    struct ClockedLog : test::LogLines {
        explicit ClockedLog(test::VirtualClock& c) : clock(c) {}
        void appendLog(const std::string& line) override {
            at.push_back(clock.now());
            LogLines::appendLog(line);
        }
        test::VirtualClock& clock;
        std::vector<SimTime> at;
    } clockedLog(sim.clock);
    sign.setObserver(&frameComplete);
    sign.setProcessingDelay(microseconds(500));
    open();
    ReplyReader(sim.port, sim.clock, clockedLog)
        .run(writeConfirmationExchange("W0456731E20"), buffer);
    EXPECT_EQ(clockedLog.lines,
              (Lines{"--- Жду ответ после записи данных ---", "Принято символов:5",
                     "1 попыток чтения прошло. Задержка 50мс", "Принял:WOK20"}));
    // The header is logged right after the clear.
    EXPECT_LT(clockedLog.at[0].count(), frameComplete.at.count());
    sign.setObserver(nullptr);
}

TEST_F(ReplyReaderTest, WriteConfirmationWritesThenClearsSoAnEarlierReplyIsDiscarded) {
    open();
    sim.port.WriteText("LA");  // its "LA" reply arrives before the confirmation's clear
    sim.clock.sleep_ms(10);
    reader.run(writeConfirmationExchange("W0456731E20"), buffer);
    EXPECT_EQ(buffer, "WOK20");
}

TEST_F(ReplyReaderTest, WriteConfirmationSeenOnlyAtTheEighthPollCountsAsMissing) {
    // The third byte arrives during the eighth sleep (350..400 ms).
    sign.setProcessingDelay(milliseconds(370) - wireTime(3));
    open();
    reader.run(writeConfirmationExchange("W0456731E20"), buffer);
    ASSERT_EQ(log.lines.size(), 12u);
    EXPECT_EQ(log.lines[8], "Принято символов:5");
    EXPECT_EQ(log.lines[9], "8 попыток чтения прошло. Задержка 50мс");
    EXPECT_EQ(log.lines[10], "Ошибка чтения!!! ");
    EXPECT_EQ(log.lines[11], "Принял:" + std::string(14, ' '));
}

TEST_F(ReplyReaderTest, LineBytesAreLoggedVisibly) {
    sign.addFault(Fault::replacedBy(std::string("T0\x01\x7f", 4) + std::string(10, 'x')));
    sign.addFault(Fault::inserted(2, std::string(3, '\0')));  // dropped by the port
    open();
    reader.run(boardSearchExchange(), buffer);
    EXPECT_EQ(buffer, std::string("T0\x01\x7fxxxxxx", 10));
    EXPECT_EQ(log.lines.back(), "Принял:T0\u2401\u2421xxxxxx");
}

TEST_F(ReplyReaderTest, SingleWaitReadsOnlyWhatArrivedWithinThePause) {
    open();
    reader.run(manualBrightnessExchange(7), buffer);
    EXPECT_EQ(buffer, "LM7");
    EXPECT_EQ(sign.brightnessLevel(), 7);

    sign.addFault(Fault::late(milliseconds(150)));
    reader.run(automaticBrightnessExchange(), buffer);  // the reply comes after 100 ms
    EXPECT_EQ(buffer, "");
    EXPECT_EQ(sim.port.QueuedInputCount(), 0);
    sim.clock.sleep_ms(100);
    EXPECT_EQ(sim.port.QueuedInputCount(), 2);  // it stays queued for the next clear

    reader.run(effectExchange(5), buffer);
    EXPECT_EQ(log.lines, (Lines{"Отправлено:5"}));
    EXPECT_EQ(buffer, "FOK");
    EXPECT_EQ(sign.effectSeconds(), 5);
}

TEST_F(ReplyReaderTest, SerialErrorsEndTheExchange) {
    // Closed port: the first port operation raises.
    EXPECT_THROW(reader.run(panelReadExchange('0'), buffer), EComPort);
    EXPECT_EQ(log.lines, Lines{});
    EXPECT_EQ(buffer, "old");
}

}  // namespace
}  // namespace stela
