#include <algorithm>
#include <cerrno>

#include "protocol/Frames.h"
#include "tests/support/Golden.h"
#include "tests/support/TestLanguage.h"
#include "tests/workflows/ConsoleFixture.h"
#include "workflows/PriceRows.h"

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
    // The halves as the outcome tells them, in the order sent: "5,1 W0...: yes".
    Lines told(const WriteOutcome& outcome) const {
        Lines out;
        for (const WriteStep& step : outcome.sent) {
            const bool confirmed =
                outcome.account.state(step.row, step.half) == WriteAccount::State::Confirmed;
            out.push_back(std::to_string(step.row) + (step.half == Half::First ? ",1 " : ",2 ") +
                          step.frame + (confirmed ? ": yes" : ": no"));
        }
        return out;
    }
};

TEST_F(PriceWriteTest, TenFramesBottomRowFirstEachSentTwiceWhenConfirmedAtOnce) {
    SignModel& sign = connectSign();
    rows[5] = {"45.67", false, 2, true, false};
    pressWrite();
    EXPECT_EQ(told(written),
              (Lines{"5,1 W0456731E20: yes", "5,2 W8456731E28: yes", "4,1 W1000010E22: yes",
                     "4,2 W9000010E2A: yes", "3,1 W2000010E21: yes", "3,2 W:000010E29: yes",
                     "2,1 W3000010E20: yes", "2,2 W;000010E28: yes", "1,1 W4000010E27: yes",
                     "1,2 W<000010E2F: yes"}));
    const Lines frames = writeFrames();
    ASSERT_EQ(frames.size(), 20u);
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(frames[2 * i], written.sent[i].frame);
        EXPECT_EQ(frames[2 * i + 1], frames[2 * i]);
    }
    EXPECT_EQ(sign.half(8), (HalfContent{"4567", '3', '1'}));
    EXPECT_EQ(plannedWrite([this](int row) { return rows.at(std::size_t(row)); }).size(), 10u);
    EXPECT_EQ(plannedWrite([this](int row) { return rows.at(std::size_t(row)); })[9].frame,
              written.sent[9].frame);
    EXPECT_EQ(readBack.at(5, Half::Second).reply.priceText(), "45.67");  // the read-back follows
}

TEST_F(PriceWriteTest, ProgressFollowsTheStepsAndEachHalfIsToldWhenItsWriteEnds) {
    connectSign();
    write();
    EXPECT_EQ(
        observer.calls,
        (Lines{"progress:0",      "progress:1", "stop?", "written:5,1,yes", "progress:2", "between",
               "written:5,2,yes", "progress:3", "stop?", "written:4,1,yes", "progress:4", "between",
               "written:4,2,yes", "progress:5", "stop?", "written:3,1,yes", "progress:6", "between",
               "written:3,2,yes", "progress:7", "stop?", "written:2,1,yes", "progress:8", "between",
               "written:2,2,yes", "progress:8", "stop?", "written:1,1,yes", "progress:8", "between",
               "written:1,2,yes", "stop?"}));
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
    test::expectGolden(observer.log, "write-silent-sign");
    // 12 s of polling in the write, then 10 halves x 7 passes x 4 sleeps in the read.
    EXPECT_EQ(sim.clock.sleptMs(), 12000 + 14000);
    EXPECT_EQ(told(written)[0], "5,1 W0000010E23: no");
    EXPECT_EQ(readBack.at(1, Half::Second).verdict, HalfVerdict::NoReply);
}

TEST_F(PriceWriteTest, AConfirmationSeenOnlyAtTheEighthPollIsMissingAndTheFrameRepeated) {
    for (const char* lang : {"ru_RU.UTF-8", "en_US.UTF-8"}) {
        // For an English-speaking technician the log's words are English; the
        // frames and the bytes received stay as they are.
        test::ScopedLanguage language("LANG", lang);
        observer.log.clear();
        SignModel& sign = connectSign();
        // The step's own copy goes unanswered, and the reply to the first
        // attempt's copy completes during the eighth poll.
        sign.addFault(Fault::lostReply().onFrames(FrameKind::Write).times(1));
        sign.addFault(Fault::late(milliseconds(360)).onFrames(FrameKind::Write).after(1).times(1));
        const std::size_t before = writeFrames().size();
        pressWrite();
        // Also the lines of every confirmed step; steps 9 and 10 both log "Запишу 8 панель:".
        test::expectGolden(observer.log, lang[0] == 'r' ? "write-one-failed-attempt"
                                                        : "write-one-failed-attempt-en");
        const Lines all = writeFrames();
        const Lines frames(all.begin() + long(before), all.end());
        EXPECT_EQ(std::count(frames.begin(), frames.end(), frames[0]), 3);
        EXPECT_EQ(frames[3][1], '8');
        EXPECT_EQ(written.account.state(5, Half::First), WriteAccount::State::Confirmed);
    }
}

TEST_F(PriceWriteTest, AReplyOtherThanWokFailsTheAttempt) {
    SignModel& sign = connectSign();
    sign.addFault(Fault::replacedBy("T0----10A0OK10").onFrames(FrameKind::Write).forAddress(0));
    const WriteOutcome outcome = write();
    const Lines frames = writeFrames();
    EXPECT_EQ(std::count(frames.begin(), frames.end(), frames[0]), 4);
    EXPECT_EQ(told(outcome)[0], "5,1 W0000010E23: no");
    EXPECT_EQ(told(outcome)[1], "5,2 W8000010E2B: yes");
    const Lines& log = observer.log;
    const auto nextStep = std::find_if(log.begin(), log.end(), [](const std::string& line) {
        return line.rfind("Запишу 1 панель:", 0) == 0;
    });
    EXPECT_EQ(std::count_if(log.begin(), nextStep,
                            [](const std::string& line) { return line.rfind("Принял:", 0) == 0; }),
              3);
}

TEST_F(PriceWriteTest, RowInputsBecomeFrameFields) {
    SignModel& sign = connectSign();
    rows[1].priceText = "12.5 ";  // 12.50
    rows[2].priceText = "1 .  ";  // 10.00
    rows[3] = {"33.33", true, 4, false, true};
    rows[4].gradeIndex = -1;
    // Row 5 stays as at start: empty price, grade "80", no captions.
    write();
    EXPECT_EQ(sign.half(4), (HalfContent{"1250", '1', '0'}));
    EXPECT_EQ(sign.half(11), (HalfContent{"1000", '1', '0'}));
    EXPECT_EQ(sign.half(2), (HalfContent{"----", '5', '2'}));
    EXPECT_EQ(sign.half(10), (HalfContent{"----", '5', '2'}));
    EXPECT_EQ(writeFrames()[4].substr(0, 9), "W1000000E");  // row 4: no grade selected
    EXPECT_EQ(sign.half(0), (HalfContent{"0000", '1', '0'}));
}

// A row's inputs are taken as the write comes to the row: an edit made while
// the bottom rows are written goes out, and a row's second half is sent with
// the inputs taken for its first.
TEST_F(PriceWriteTest, RowsAreTakenAsTheWriteComesToThem) {
    SignModel& sign = connectSign();
    rows[5] = {"11.11", false, 2, true, false};
    observer.onLog = [&](const std::string& line) {
        if (line.rfind("Запишу 1 панель:", 0) == 0) {  // between the two halves of row 5
            rows[5] = {"22.22", true, 4, false, true};
        }
    };
    int stops = 0;
    observer.onStopNow = [&] {
        if (++stops == 2) {  // while the bottom rows are written
            rows[1].priceText = "77.77";
        }
        return false;
    };
    write();
    EXPECT_EQ(sign.half(0), (HalfContent{"1111", '3', '1'}));
    EXPECT_EQ(sign.half(8), sign.half(0));
    EXPECT_EQ(sign.half(4).price, "7777");
    EXPECT_EQ(sign.half(12).price, "7777");
}

// Whenever a stop is asked for, the write stops at the end of the row in
// progress, whichever half that is: every panel keeps one price, old or new.
TEST_F(PriceWriteTest, AStopAskedForEndsTheWriteAtTheEndOfTheRowInProgress) {
    // Rows written when the stop is asked as the n-th step's frame is logged
    // (n = 1: before the write): the row in progress is finished.
    const int rowsWritten[] = {0, 1, 1, 2, 2, 3, 3, 4, 4, 5};
    for (int n = 1; n <= 10; ++n) {
        SignModel& sign = connectSign();
        for (int row = 1; row <= 5; ++row) {
            rows[row].priceText = "12.34";
        }
        observer.log.clear();
        int steps = 0;
        bool asked = n == 1;
        observer.onLog = [&](const std::string& line) {
            asked = asked || (line.rfind("Запишу", 0) == 0 && ++steps == n);
        };
        observer.onStopNow = [&] { return asked; };
        EXPECT_THROW(write(), WorkflowStopped);

        int newPanels = 0;
        for (int panel = 0; panel <= 4; ++panel) {
            EXPECT_EQ(sign.half(panel), sign.half(panel + 8)) << n << ", panel " << panel;
            newPanels += sign.half(panel).price == "1234";
        }
        EXPECT_EQ(newPanels, rowsWritten[n - 1]) << n;
        // The stop, then what the sign holds; the frame it kept from the sign before.
        const auto stop = std::find(observer.log.begin(), observer.log.end(),
                                    "--- Окно закрывается: запись остановлена ---");
        EXPECT_EQ(observer.log.end() - stop, n == 1 ? 1 : n == 10 ? 2 : 4) << n;
        EXPECT_EQ(stop != observer.log.begin() && stop[-1].rfind("Кадр не отправлен:W", 0) == 0,
                  n > 1 && n < 10)
            << n;
    }
}

TEST_F(PriceWriteTest, TheEffectPressedDuringTheWriteDoesNotReplaceTheFrame) {
    SignModel& sign = connectSign();
    rows[4].priceText = "56.78";
    int stops = 0;
    observer.onStopNow = [&] {
        if (++stops == 2) {  // just before the frame of row 4's first half goes out
            EXPECT_TRUE(console.effect(3).confirmed);
        }
        return false;
    };
    pressWrite();
    EXPECT_EQ(sign.effectSeconds(), 3);
    EXPECT_EQ(sign.half(1).price, "5678");
    EXPECT_EQ(sign.half(9).price, "5678");
    const Lines frames = framesWritten();
    EXPECT_EQ(std::count(frames.begin(), frames.end(), "q3"), 1);
    EXPECT_EQ(std::count(frames.begin(), frames.end(), "FOK"), 0);
}

TEST_F(PriceWriteTest, ASerialErrorEndsTheWriteAndTheLogSaysWhatTheSignMayHold) {
    pressWrite();  // no port open
    EXPECT_EQ(errors, Lines{"PurgeComm function failed (win error code: " +
                            std::to_string(ownFailure(FailureKind::NotOpen).code()) + ")"});
    EXPECT_EQ(observer.log, Lines{});

    // The first frame may have left: the log says what the sign may now hold.
    connectSign();
    sim.device->failOn(test::SimComDevice::Op::Write, EIO);
    pressWrite();
    EXPECT_EQ(errors.back(), "WriteFile function failed (win error code: 5)");
    const Lines said{"--- Связь потеряна: запись прервана ---",
                     "Ни одна строка не записана с подтверждением.",
                     "Строка 5 может показывать две разные цены: первая половина отправлена без "
                     "подтверждения, вторая не отправлена.",
                     "Не записаны строки: 4, 3, 2, 1 (на табло прежние цены).",
                     "Запишите цены снова, когда связь восстановится."};
    ASSERT_EQ(observer.log.size(), said.size() + 1);
    EXPECT_EQ(Lines(observer.log.begin() + 1, observer.log.end()), said);
    EXPECT_EQ(observer.log[0].rfind("Запишу 0 панель:", 0), 0u);
    EXPECT_EQ(console.lastWrite().lossLines(), Lines(said.begin() + 1, said.end()));
}

}  // namespace
}  // namespace stela
