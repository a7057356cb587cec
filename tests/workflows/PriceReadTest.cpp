#include <algorithm>

#include "protocol/Frames.h"
#include "tests/workflows/ConsoleFixture.h"
#include "tests/support/Golden.h"

namespace stela {
namespace {

using Lines = std::vector<std::string>;
using std::chrono::milliseconds;
using test::RecordingView;

constexpr int kAddresses[] = {0, 1, 2, 3, 4, 8, 9, 10, 11, 12};

class PriceReadTest : public test::ConsoleTest {
protected:
    void fill(SignModel& sign, const HalfContent& content) {
        for (int a : kAddresses) {
            sign.setHalf(a, content);
        }
    }
    std::vector<std::string> progressCalls() const {
        Lines out;
        for (const auto& c : view.calls) {
            if (c.rfind("progress", 0) == 0 || c == "events" || c.rfind("busy", 0) == 0) {
                out.push_back(c);
            }
        }
        return out;
    }
};

TEST_F(PriceReadTest, AValidSignFillsEveryLabelAndRow) {
    fill(connectSign(), {"4567", '3', '1'});
    press(&Console::readPrices);
    for (int row = 1; row <= 5; ++row) {
        for (Half half : {Half::First, Half::Second}) {
            EXPECT_EQ(view.label(row, half).text, "45.67");
            EXPECT_EQ(view.label(row, half).color, kReadbackGreen);
        }
        EXPECT_EQ(view.rows[row].price, "45.67");
        EXPECT_EQ(view.rows[row].gradeIndex, 2);
        EXPECT_TRUE(view.rows[row].caption1);
        EXPECT_FALSE(view.rows[row].caption2);
    }
    EXPECT_EQ(view.errorReports(), Lines{});
    EXPECT_EQ(view.notices(), Lines{});
}

TEST_F(PriceReadTest, HalvesAreReadInOrderWithSixLogLinesEach) {
    connectSign();
    press(&Console::readPrices);
    EXPECT_EQ(framesWritten(),
              (Lines{"R0E", "R1E", "R2E", "R3E", "R4E", "R<E", "R;E", "R:E", "R9E", "R8E"}));
    test::expectGolden(view.logSince(2), "read-clean");
    EXPECT_EQ(progressCalls(), (Lines{"busy:off",   "progressRange:0..8",
                                      "progress:0", "progress:1",
                                      "events",     "progress:2",
                                      "events",     "progress:3",
                                      "events",     "progress:4",
                                      "events",     "progress:4",
                                      "events",     "progress:5",
                                      "events",     "progress:5",
                                      "events",     "progress:6",
                                      "events",     "progress:7",
                                      "events",     "progress:8",
                                      "events",     "progress:0",
                                      "events",     "busy:on"}));
    EXPECT_EQ(sim.clock.sleptMs(), 10 * 2 * 50);
}

TEST_F(PriceReadTest, ASecondHalfFailingLeavesTheFirstHalfsPrice) {
    SignModel& sign = connectSign();
    sign.setHalf(4, {"1234", '2', '3'});
    sign.addFault(Fault::silence().forAddress(12));
    press(&Console::readPrices);
    EXPECT_EQ(view.label(1, Half::First).text, "12.34");
    EXPECT_EQ(view.label(1, Half::First).color, kReadbackGreen);
    EXPECT_EQ(view.label(1, Half::Second).text, "XX.XX");
    EXPECT_EQ(view.label(1, Half::Second).color, kReadbackRed);
    EXPECT_EQ(view.rows[1].price, "12.34");
    EXPECT_EQ(view.rows[1].gradeIndex, 1);
    EXPECT_TRUE(view.rows[1].caption2);
}

TEST_F(PriceReadTest, AFirstHalfFailingKeepsTheRowsGradeAndCaptions) {
    SignModel& sign = connectSign();
    sign.setHalf(11, {"5678", '5', '3'});
    sign.addFault(Fault::silence().forAddress(3));
    view.rows[2].gradeIndex = 3;
    press(&Console::readPrices);
    EXPECT_EQ(view.label(2, Half::First).text, "XX.XX");
    EXPECT_EQ(view.rows[2].price, "56.78");
    EXPECT_EQ(view.rows[2].gradeIndex, 3);  // second halves refill only the price
    EXPECT_FALSE(view.rows[2].caption1);
}

TEST_F(PriceReadTest, RowFivesSecondHalfOverridesGradeAndCaptions) {
    SignModel& sign = connectSign();
    sign.setHalf(0, {"1111", '1', '1'});
    sign.setHalf(8, {"2222", '5', '2'});
    press(&Console::readPrices);
    EXPECT_EQ(view.rows[5].price, "22.22");
    EXPECT_EQ(view.rows[5].gradeIndex, 4);
    EXPECT_FALSE(view.rows[5].caption1);
    EXPECT_TRUE(view.rows[5].caption2);
}

TEST_F(PriceReadTest, ABadChecksumForSevenPassesGivesUp) {
    for (Fault fault : {Fault::wrongChecksum(), Fault::lowerCaseChecksum()}) {
        RecordingView fresh;
        view = fresh;
        SignModel& sign = connectSign();
        sign.setHalf(2, {"2468", '1', '0'});  // its checksum "1A" has a letter
        sign.setHalf(10, {"9999", '1', '0'});
        sign.clearFaults();
        sign.addFault(fault.forAddress(2).times(7));
        const std::size_t before = sim.device->written().size();
        press(&Console::readPrices);
        EXPECT_EQ(sim.device->written().size() - before, 9u + 7u);
        EXPECT_EQ(view.label(3, Half::First).text, "XX.XX");
        EXPECT_EQ(view.label(3, Half::First).color, kReadbackRed);
        EXPECT_NE(std::find(view.log.begin(), view.log.end(),
                            "Принятые данные ошибочные:" + std::string(16, ' ')),
                  view.log.end());
        EXPECT_EQ(view.rows[3].price, "99.99");  // from the second half
    }
}

TEST_F(PriceReadTest, TheSixthRepeatStillCounts) {
    SignModel& sign = connectSign();
    sign.setHalf(1, {"0102", '1', '0'});
    sign.addFault(Fault::wrongChecksum().forAddress(1).times(6));
    press(&Console::readPrices);
    EXPECT_EQ(view.label(4, Half::First).text, "01.02");
    EXPECT_EQ(view.label(4, Half::First).color, kReadbackGreen);
}

TEST_F(PriceReadTest, WrongContentWithAGoodChecksumFailsAtOnce) {
    SignModel& sign = connectSign();
    sign.addFault(Fault::missingOk().forAddress(0));
    sign.addFault(Fault::missingT().forAddress(8));
    press(&Console::readPrices);
    EXPECT_EQ(view.label(5, Half::First).text, "XX.XX");
    EXPECT_EQ(view.label(5, Half::Second).text, "XX.XX");
    const Lines frames = framesWritten();
    EXPECT_EQ(std::count(frames.begin(), frames.end(), "R0E"), 1);
    // The whole reply is logged, its checksum right for the changed content.
    const std::string bad = "T0----10A0ER";
    EXPECT_NE(std::find(view.log.begin(), view.log.end(),
                        "Принятые данные ошибочные:" + bad + frameChecksum(bad)),
              view.log.end());
}

TEST_F(PriceReadTest, ANotUsedPanelShowsDashesInGreenAndKeepsThemInTheField) {
    connectSign();  // halves start as "----"
    press(&Console::readPrices);
    EXPECT_EQ(view.label(1, Half::First).text, "--.--");
    EXPECT_EQ(view.label(1, Half::First).color, kReadbackGreen);
    EXPECT_EQ(view.rows[1].price, "--.--");
}

TEST_F(PriceReadTest, AGradeCodeOutsideTheListLeavesNoSelection) {
    SignModel& sign = connectSign();
    sign.addFault(Fault::replacedBy([] {
                      std::string r = "T4123471A0OK";
                      return r + frameChecksum(r);
                  }())
                      .forAddress(4));
    press(&Console::readPrices);
    EXPECT_EQ(view.rows[1].gradeIndex, -1);
    EXPECT_EQ(view.label(1, Half::First).text, "12.34");
}

TEST_F(PriceReadTest, NoOpenPortReportsTheErrorAndGivesTheButtonsBack) {
    press(&Console::readPrices);
    EXPECT_EQ(view.errorReports(), Lines{"PurgeComm function failed (win error code: 9)"});
    EXPECT_TRUE(view.busyEnabled);
    EXPECT_EQ(view.progressPosition, 1);
    EXPECT_EQ(view.label(5, Half::First).text, "---");
}

TEST_F(PriceReadTest, LabelsAreNotResetAtTheStart) {
    SignModel& sign = connectSign();
    press(&Console::readPrices);
    sign.addFault(Fault::silence());
    std::vector<RecordingView::Readback> lastLabelDuringRead;
    view.onProcessEvents = [&] { lastLabelDuringRead.push_back(view.label(5, Half::Second)); };
    view.rows[5].price = "  .  ";
    press(&Console::readPrices);
    // Until its own read, the last label still shows the previous result.
    ASSERT_EQ(lastLabelDuringRead.size(), 11u);
    for (std::size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(lastLabelDuringRead[i].text, "--.--") << i;
        EXPECT_EQ(lastLabelDuringRead[i].color, kReadbackGreen) << i;
    }
    EXPECT_EQ(view.label(5, Half::Second).text, "XX.XX");
    EXPECT_EQ(view.rows[5].price, "  .  ");
}

// A sign answering later than the polls look: each reply lands in a later
// pass, and may land in the next half's. Only a reply for the half asked for
// counts, so no label and no price field ever gets another half's price.
TEST_F(PriceReadTest, ALateReplyIsNeverTakenForAnotherHalf) {
    for (int lateMs : {200, 250, 300, 340}) {
        SignModel& sign = connectSign();
        for (int a : kAddresses) {
            const char d = static_cast<char>('0' + a % 10);
            sign.setHalf(a, {std::string(3, d) + (a < 8 ? '1' : '2'), '1', '0'});
        }
        sign.setProcessingDelay(milliseconds(lateMs));
        view = RecordingView{};
        press(&Console::readPrices);
        for (int row = 1; row <= 5; ++row) {
            for (Half half : {Half::First, Half::Second}) {
                const HalfContent& own = sign.half(halfAddress(row, half));
                const std::string ownText = own.price.substr(0, 2) + "." + own.price.substr(2);
                const RecordingView::Readback& shown = view.label(row, half);
                EXPECT_TRUE((shown.text == ownText && shown.color == kReadbackGreen) ||
                            (shown.text == "XX.XX" && shown.color == kReadbackRed))
                    << lateMs << " ms, row " << row << ": " << shown.text;
            }
        }
    }
}

// Replies whose checksum matches but that answer no price of the half asked
// for fail each pass as a checksum mismatch would, and leave the row alone.
TEST_F(PriceReadTest, AReplyForAnotherHalfOrWithoutAPriceFailsItsPasses) {
    const std::string bodies[] = {
        "T3123451A0OK",  // the address of another half
        "T4\x1b"
        "23451A0OK",  // ESC in the price
        "T41\x85"
        "3451A0OK",       // a byte that is no digit
        "T412\a451A0OK",  // BEL
    };
    for (const std::string& body : bodies) {
        SignModel& sign = connectSign();
        sign.addFault(Fault::replacedBy(body + frameChecksum(body)).forAddress(4).times(7));
        view = RecordingView{};
        view.rows[1].gradeIndex = 3;
        const std::size_t before = sim.device->written().size();
        press(&Console::readPrices);
        EXPECT_EQ(sim.device->written().size() - before, 9u + 7u) << body;
        EXPECT_EQ(view.label(1, Half::First).text, "XX.XX") << body;
        EXPECT_EQ(view.label(1, Half::First).color, kReadbackRed);
        EXPECT_EQ(view.rows[1].gradeIndex, 3) << "grade and captions untouched";
        EXPECT_FALSE(view.rows[1].caption1);
        EXPECT_NE(std::find(view.log.begin(), view.log.end(),
                            "Принятые данные ошибочные:" + std::string(16, ' ')),
                  view.log.end());
    }
}

TEST_F(PriceReadTest, TheEffectPressedDuringTheReadDoesNotDisturbIt) {
    SignModel& sign = connectSign();
    fill(sign, {"3141", '2', '0'});
    view.effectDigit = "4";
    int events = 0;
    view.onProcessEvents = [&] {
        if (++events == 5) {  // between two halves
            console.effect();
        }
    };
    press(&Console::readPrices);
    EXPECT_EQ(sign.effectSeconds(), 4);
    EXPECT_EQ(view.notices(), Lines{"Эффекты включены"});
    for (int row = 1; row <= 5; ++row) {
        for (Half half : {Half::First, Half::Second}) {
            EXPECT_EQ(view.label(row, half).text, "31.41");
            EXPECT_EQ(view.label(row, half).color, kReadbackGreen);
        }
    }
}

TEST_F(PriceReadTest, AClosingWindowStopsTheReadAtTheNextStep) {
    connectSign();
    int events = 0;
    view.onProcessEvents = [&] { view.closeRequested = ++events == 3; };
    EXPECT_THROW(console.readPrices(), WorkflowStopped);
    EXPECT_EQ(framesWritten(), (Lines{"R0E", "R1E"}));
    EXPECT_EQ(view.label(3, Half::First).text, "---");
}

}  // namespace
}  // namespace stela
