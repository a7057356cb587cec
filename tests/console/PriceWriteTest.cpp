#include <algorithm>
#include <cerrno>

#include "protocol/Frames.h"
#include "tests/console/ConsoleFixture.h"
#include "tests/support/Golden.h"
#include "tests/support/TestLanguage.h"

namespace stela {
namespace {

using Lines = std::vector<std::string>;
using std::chrono::milliseconds;

class PriceWriteTest : public test::ConsoleTest {
protected:
    // The write frames sent, in order, without the read-back.
    Lines writeFrames() const {
        Lines out;
        for (const auto& f : framesWritten()) {
            if (f[0] == 'W') {
                out.push_back(f);
            }
        }
        return out;
    }
};

TEST_F(PriceWriteTest, TenFramesBottomRowFirstEachSentTwiceWhenConfirmedAtOnce) {
    SignModel& sign = connectSign();
    view.rows[5].price = "45.67";
    view.rows[5].gradeIndex = 2;
    view.rows[5].caption1 = true;
    pressWrite();

    const Lines frames = writeFrames();
    ASSERT_EQ(frames.size(), 20u);
    const std::string order = "08192:3;4<";
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(frames[2 * i][1], order[i]);
        EXPECT_EQ(frames[2 * i + 1], frames[2 * i]);
    }
    EXPECT_EQ(frames[0], "W0456731E20");
    EXPECT_EQ(frames[2], "W8456731E28");
    EXPECT_EQ(sign.half(8), (HalfContent{"4567", '3', '1'}));
    // The read-back follows and gives the buttons back.
    EXPECT_EQ(view.label(5, Half::Second).text, "45.67");
    EXPECT_TRUE(view.busyEnabled);
}

TEST_F(PriceWriteTest, ProgressAndEventsFollowTheSteps) {
    connectSign();
    std::vector<std::string> calls;
    pressWrite();
    for (const auto& c : view.calls) {
        if (c.rfind("progress", 0) == 0 || c == "events" || c.rfind("busy", 0) == 0) {
            calls.push_back(c);
        }
        if (c == "progress:0" && calls.size() > 5) {
            break;  // the read-back starts
        }
    }
    EXPECT_EQ(calls, (Lines{"busy:off",
                            "progressRange:0..8",
                            "progress:0",
                            "progress:1",
                            "events",
                            "progress:2",
                            "events",
                            "progress:3",
                            "events",
                            "progress:4",
                            "events",
                            "progress:5",
                            "events",
                            "progress:6",
                            "events",
                            "progress:7",
                            "events",
                            "progress:8",
                            "events",
                            "progress:8",
                            "events",
                            "progress:8",
                            "events",
                            "busy:off",
                            "progressRange:0..8",
                            "progress:0"}));
}

TEST_F(PriceWriteTest, ASilentSignGetsEveryFrameFourTimesAndTwelveSecondsOfPolling) {
    SignModel& sign = connectSign();
    sign.addFault(Fault::silence());
    pressWrite();
    const Lines frames = writeFrames();
    ASSERT_EQ(frames.size(), 40u);
    for (std::size_t i = 0; i < 40; ++i) {
        EXPECT_EQ(frames[i], frames[i / 4 * 4]);
    }
    test::expectGolden(view.logSince(2), "write-silent-sign");
    // 12 s of polling in the write, then 10 halves x 7 passes x 4 sleeps in the read.
    EXPECT_EQ(sim.clock.sleptMs(), 12000 + 14000);
    EXPECT_EQ(view.label(1, Half::Second).text, "XX.XX");
}

TEST_F(PriceWriteTest, AConfirmationSeenOnlyAtTheEighthPollIsMissingAndTheFrameRepeated) {
    SignModel& sign = connectSign();
    // The step's own copy goes unanswered, and the reply to the first attempt's
    // copy completes during the eighth poll.
    sign.addFault(Fault::lostReply().onFrames(FrameKind::Write).times(1));
    sign.addFault(Fault::late(milliseconds(360)).onFrames(FrameKind::Write).after(1).times(1));
    pressWrite();
    // Also the lines of every confirmed step; steps 9 and 10 both log "Запишу 8 панель:".
    test::expectGolden(view.logSince(2), "write-one-failed-attempt");
    const Lines frames = writeFrames();
    EXPECT_EQ(std::count(frames.begin(), frames.end(), frames[0]), 3);
    EXPECT_EQ(frames[3][1], '8');
}

// For an English-speaking technician the log's words are English; the frames
// and the bytes received stay as they are.
TEST_F(PriceWriteTest, TheLogsWordsFollowTheOperatorsLanguageAndTheBytesDoNot) {
    test::ScopedLanguage english("LANG", "en_US.UTF-8");
    SignModel& sign = connectSign();
    sign.addFault(Fault::lostReply().onFrames(FrameKind::Write).times(1));
    sign.addFault(Fault::late(milliseconds(360)).onFrames(FrameKind::Write).after(1).times(1));
    pressWrite();
    test::expectGolden(view.logSince(2), "write-one-failed-attempt-en");
}

TEST_F(PriceWriteTest, AReplyOtherThanWokFailsTheAttempt) {
    SignModel& sign = connectSign();
    sign.addFault(Fault::replacedBy("T0----10A0OK10").onFrames(FrameKind::Write).forAddress(0));
    pressWrite();
    const Lines frames = writeFrames();
    EXPECT_EQ(std::count(frames.begin(), frames.end(), frames[0]), 4);
    const Lines log = view.logSince(2);
    const auto nextStep = std::find_if(log.begin(), log.end(), [](const std::string& line) {
        return line.rfind("Запишу 1 панель:", 0) == 0;
    });
    EXPECT_EQ(std::count_if(log.begin(), nextStep,
                            [](const std::string& line) { return line.rfind("Принял:", 0) == 0; }),
              3);
    EXPECT_EQ(std::find_if(log.begin(), nextStep,
                           [](const std::string& line) {
                               return line.rfind("Принятые данные верные:", 0) == 0;
                           }),
              nextStep);
}

TEST_F(PriceWriteTest, RowInputsBecomeFrameFields) {
    SignModel& sign = connectSign();
    view.rows[1].price = "12.5 ";  // 12.50
    view.rows[2].price = "1 .  ";  // 10.00
    view.rows[3].notUsed = true;
    view.rows[3].price = "33.33";
    view.rows[3].gradeIndex = 4;
    view.rows[3].caption2 = true;
    view.rows[4].gradeIndex = -1;
    // Row 5 stays as at start: empty price, grade "80", no captions.
    pressWrite();
    EXPECT_EQ(sign.half(4), (HalfContent{"1250", '1', '0'}));
    EXPECT_EQ(sign.half(11), (HalfContent{"1000", '1', '0'}));
    EXPECT_EQ(sign.half(2), (HalfContent{"----", '5', '2'}));
    EXPECT_EQ(sign.half(10), (HalfContent{"----", '5', '2'}));
    EXPECT_EQ(writeFrames()[4].substr(0, 9), "W1000000E");  // row 4: no grade selected
    EXPECT_EQ(sign.half(0), (HalfContent{"0000", '1', '0'}));
}

TEST_F(PriceWriteTest, DashesReadIntoAFieldAreWrittenBackAsDashes) {
    SignModel& sign = connectSign();  // every half starts as "----"
    press(&Console::readPrices);
    ASSERT_EQ(view.rows[2].price, "--.--");
    view.rows[1].price = "12.34";
    pressWrite();
    EXPECT_EQ(sign.half(3).price, "----");
    EXPECT_EQ(sign.half(11).price, "----");
    EXPECT_EQ(sign.half(4).price, "1234");
}

TEST_F(PriceWriteTest, ARowEditedWhileTheWriteRunsIsSentWithItsNewValue) {
    SignModel& sign = connectSign();
    int events = 0;
    view.onProcessEvents = [&] {
        if (++events == 3) {  // while the bottom rows are written
            view.rows[1].price = "77.77";
        }
    };
    pressWrite();
    EXPECT_EQ(sign.half(4).price, "7777");
    EXPECT_EQ(sign.half(12).price, "7777");
}

TEST_F(PriceWriteTest, ASecondHalfIsSentWithTheInputsReadForItsFirstHalf) {
    SignModel& sign = connectSign();
    view.rows[5] = {"11.11", false, true, 2, false};
    view.onCall = [&](const std::string& call) {
        if (call.rfind("log:Запишу 0 панель:", 0) == 0) {  // between the two halves of row 5
            view.rows[5] = {"22.22", true, false, 4, true};
        }
    };
    pressWrite();
    EXPECT_EQ(sign.half(0), (HalfContent{"1111", '3', '1'}));
    EXPECT_EQ(sign.half(8), sign.half(0));
}

// Whenever the window is closed, the write stops at the end of the row in
// progress, whichever half that is: every panel keeps one price, old or new,
// and no read-back follows.
TEST_F(PriceWriteTest, AClosingWindowStopsTheWriteAtTheEndOfTheRowInProgress) {
    // Rows written when the close comes with the n-th progress step's events:
    // the events before a first half follow the confirmation of the row before.
    const int rowsWritten[] = {0, 1, 1, 2, 2, 3, 3, 4, 4, 5};
    for (int n = 1; n <= 10; ++n) {
        SignModel& sign = connectSign();
        view = test::RecordingView{};
        for (int row = 1; row <= 5; ++row) {
            view.rows[row].price = "12.34";
        }
        int events = 0;
        view.onProcessEvents = [&] { view.closeRequested = ++events >= n; };
        const std::size_t before = sim.device->written().size();
        EXPECT_THROW(console.writePrices(), WorkflowStopped);

        int newPanels = 0;
        for (int panel = 0; panel <= 4; ++panel) {
            EXPECT_EQ(sign.half(panel), sign.half(panel + 8)) << n << ", panel " << panel;
            newPanels += sign.half(panel).price == "1234";
        }
        EXPECT_EQ(newPanels, rowsWritten[n - 1]) << n;
        for (std::size_t i = before; i < sim.device->written().size(); ++i) {
            EXPECT_EQ(sim.device->written()[i].bytes[0], 'W') << "no read-back";
        }
        const auto stop = std::find(view.log.begin(), view.log.end(),
                                    "--- Окно закрывается: запись остановлена ---");
        EXPECT_EQ(view.log.end() - stop, n == 1 ? 1 : n == 10 ? 2 : 4) << n;
        EXPECT_EQ(stop[-1].rfind("Кадр не отправлен:W", 0) == 0, n > 1 && n < 10) << n;
        EXPECT_TRUE(view.busyEnabled);
    }
}

TEST_F(PriceWriteTest, TheEffectPressedDuringTheWriteDoesNotReplaceTheFrame) {
    SignModel& sign = connectSign();
    view.rows[4].price = "56.78";
    view.effectDigit = "3";
    int events = 0;
    view.onProcessEvents = [&] {
        if (++events == 3) {  // just before the frame of row 4's first half goes out
            console.effect();
        }
    };
    pressWrite();
    EXPECT_EQ(sign.effectSeconds(), 3);
    EXPECT_EQ(sign.half(1).price, "5678");
    EXPECT_EQ(sign.half(9).price, "5678");
    const Lines frames = framesWritten();
    EXPECT_EQ(std::count(frames.begin(), frames.end(), "q3"), 1);
    EXPECT_EQ(std::count(frames.begin(), frames.end(), "FOK"), 0);
    EXPECT_EQ(view.notices(), Lines{"Эффекты включены"});
}

TEST_F(PriceWriteTest, AGradeReadAsOutsideTheListIsWrittenAsNone) {
    SignModel& sign = connectSign();
    sign.addFault(Fault::replacedBy([] {
                      std::string r = "T4123471A0OK";
                      return r + frameChecksum(r);
                  }())
                      .forAddress(4)
                      .times(1));
    press(&Console::readPrices);
    pressWrite();
    EXPECT_EQ(sign.half(4).grade, '0');
}

TEST_F(PriceWriteTest, ASerialErrorEndsTheWriteButGivesTheButtonsBack) {
    pressWrite();  // no port open
    EXPECT_EQ(view.errorReports(), Lines{"PurgeComm function failed (win error code: 9)"});
    EXPECT_EQ(view.logSince(2), Lines{});
    EXPECT_TRUE(view.busyEnabled);
    EXPECT_EQ(view.calls.back(), "error:PurgeComm function failed (win error code: 9)");

    // The first frame may have left: the log says what the sign may now hold.
    connectSign();
    sim.device->failOn(test::SimComDevice::Op::Write, EIO);
    pressWrite();
    EXPECT_EQ(view.errorReports().back(), "WriteFile function failed (win error code: 5)");
    EXPECT_TRUE(view.busyEnabled);
    const Lines said{"--- Связь потеряна: запись прервана ---",
                     "Ни одна строка не записана с подтверждением.",
                     "Строка 5 может показывать две разные цены: первая половина отправлена без "
                     "подтверждения, вторая не отправлена.",
                     "Не записаны строки: 4, 3, 2, 1 (на табло прежние цены).",
                     "Запишите цены снова, когда связь восстановится."};
    ASSERT_GE(view.log.size(), said.size() + 1);
    EXPECT_EQ(Lines(view.log.end() - long(said.size()), view.log.end()), said);
    EXPECT_EQ(view.log[view.log.size() - said.size() - 1].rfind("Запишу 0 панель:", 0), 0u);
}

}  // namespace
}  // namespace stela
