#include <algorithm>

#include "protocol/Frames.h"
#include "tests/support/Golden.h"
#include "tests/workflows/ConsoleFixture.h"
#include "workflows/PriceRows.h"

namespace stela {
namespace {

using Lines = std::vector<std::string>;
using std::chrono::milliseconds;

constexpr int kAddresses[] = {0, 1, 2, 3, 4, 8, 9, 10, 11, 12};

std::string checksummed(const std::string& body) {
    return body + frameChecksum(body);
}

class PriceReadTest : public test::ConsoleTest {
protected:
    void fill(SignModel& sign, const HalfContent& content) {
        for (int a : kAddresses) {
            sign.setHalf(a, content);
        }
    }
};

TEST_F(PriceReadTest, HalvesAreReadInOrderWithSixLogLinesEachAndAnswerTheirContent) {
    fill(connectSign(), {"4567", '3', '1'});
    const ReadOutcome read = console.readPrices();
    EXPECT_EQ(framesWritten(),
              (Lines{"R0E", "R1E", "R2E", "R3E", "R4E", "R<E", "R;E", "R:E", "R9E", "R8E"}));
    for (int row = 1; row <= 5; ++row) {
        for (Half half : {Half::First, Half::Second}) {
            const HalfRead& got = read.at(row, half);
            EXPECT_EQ(got.verdict, HalfVerdict::Answered);
            EXPECT_EQ(std::make_tuple(got.reply.priceText(), got.reply.gradeIndex(),
                                      got.reply.caption1(), got.reply.caption2()),
                      std::make_tuple("45.67", 2, true, false));
        }
    }
    EXPECT_EQ(sim.clock.sleptMs(), 10 * 2 * 50);
    EXPECT_EQ(observer.calls,
              (Lines{"progress:0", "progress:1", "stop?", "read:5,1", "progress:2", "stop?",
                     "read:4,1",   "progress:3", "stop?", "read:3,1", "progress:4", "stop?",
                     "read:2,1",   "progress:4", "stop?", "read:1,1", "progress:5", "stop?",
                     "read:1,2",   "progress:5", "stop?", "read:2,2", "progress:6", "stop?",
                     "read:3,2",   "progress:7", "stop?", "read:4,2", "progress:8", "stop?",
                     "read:5,2",   "progress:0", "stop?"}));
}

TEST_F(PriceReadTest, TheCleanReadsLogIsItsGolden) {
    connectSign();
    console.readPrices();
    test::expectGolden(observer.log, "read-clean");
}

// What the sign does to one half -> how its read ends, what the label shows
// ("XX.XX" for a reply not framed) and how many read frames it took.
TEST_F(PriceReadTest, EachSignBehaviourEndsInItsVerdict) {
    struct Case {
        const char* behaviour;
        int address;
        std::function<void(SignModel&)> sign;
        HalfVerdict verdict;
        const char* shown;
        long frames;
    };
    using V = HalfVerdict;
    const Case cases[] = {
        {"a price", 4,
         [](SignModel& s) {
             s.setHalf(4, {"1234", '2', '3'});
         },
         V::Answered, "12.34", 1},
        {"a panel without one", 4, nullptr, V::Unused, "--.--", 1},
        {"silent", 12, [](SignModel& s) { s.addFault(Fault::silence().forAddress(12)); },
         V::NoReply, "XX.XX", 7},
        {"a bad checksum 7 times", 2,
         [](SignModel& s) { s.addFault(Fault::wrongChecksum().forAddress(2).times(7)); },
         V::BadChecksum, "XX.XX", 7},
        {"a lower-case checksum", 2,
         [](SignModel& s) {
             s.setHalf(2, {"2468", '1', '0'});  // its checksum "1A" has a letter
             s.addFault(Fault::lowerCaseChecksum().forAddress(2).times(7));
         },
         V::BadChecksum, "XX.XX", 7},
        {"the sixth repeat good", 1,
         [](SignModel& s) {
             s.setHalf(1, {"0102", '1', '0'});
             s.addFault(Fault::wrongChecksum().forAddress(1).times(6));
         },
         V::Answered, "01.02", 7},
        {"another half's address", 4,
         [](SignModel& s) {
             s.addFault(Fault::replacedBy(checksummed("T3123451A0OK")).forAddress(4).times(7));
         },
         V::WrongAddress, "XX.XX", 7},
        {"ESC in the price", 4,
         [](SignModel& s) {
             s.addFault(Fault::replacedBy(checksummed("T4\x1b"
                                                      "23451A0OK"))
                            .forAddress(4)
                            .times(7));
         },
         V::NotAPrice, "XX.XX", 7},
        {"no OK, checksum right", 0,
         [](SignModel& s) { s.addFault(Fault::missingOk().forAddress(0)); }, V::NotAPrice, "XX.XX",
         1},
        {"no T, checksum right", 8,
         [](SignModel& s) { s.addFault(Fault::missingT().forAddress(8)); }, V::NotAPrice, "XX.XX",
         1},
        {"digits and dashes", 4,
         [](SignModel& s) {
             s.addFault(Fault::replacedBy(checksummed("T412-410A0OK")).forAddress(4));
         },
         V::NotAPrice, "12.-4", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.behaviour);
        SignModel& sign = connectSign();
        if (c.sign) {
            c.sign(sign);
        }
        const std::size_t before = framesWritten().size();
        const ReadOutcome read = console.readPrices();
        const int row = c.address < 8 ? 5 - c.address : 13 - c.address;
        const HalfRead& got = read.at(row, c.address < 8 ? Half::First : Half::Second);
        EXPECT_EQ(got.verdict, c.verdict);
        EXPECT_EQ(got.reply.framed ? got.reply.priceText() : "XX.XX", c.shown);
        const Lines all = framesWritten();
        const Lines frames(all.begin() + long(before), all.end());
        EXPECT_EQ(
            std::count(frames.begin(), frames.end(), composeReadFrame(addressCharacter(c.address))),
            c.frames);
    }
}

// A half that failed logs what the reply buffer then held: blanks after seven
// passes, the whole reply when it answered but was not framed.
TEST_F(PriceReadTest, AFailedHalfLogsTheReplyItKept) {
    SignModel& sign = connectSign();
    sign.addFault(Fault::silence().forAddress(12));
    sign.addFault(Fault::missingOk().forAddress(0));
    console.readPrices();
    const std::string bad = "T0----10A0ER";
    for (const std::string& kept : {bad + frameChecksum(bad), std::string(16, ' ')}) {
        EXPECT_EQ(std::count(observer.log.begin(), observer.log.end(),
                             "Принятые данные ошибочные:" + kept),
                  1);
    }
}

// The window's grid takes a price from every framed reply; grade and captions
// from first halves, and from row 5's second half too.
TEST_F(PriceReadTest, AFramedReplyRefillsItsRowAsTheGridTakesIt) {
    HalfRead read;
    read.reply = parseReadReply(checksummed("T4123471A0OK"));  // grade code 7: none of the list
    ASSERT_TRUE(read.reply.framed);
    const auto marks = [&](int row, Half half) {
        const auto refill = rowRefill(row, half, read);
        EXPECT_EQ(refill->priceText, "12.34");
        return refill->marks ? refill->marks->gradeIndex : 99;
    };
    EXPECT_EQ(marks(1, Half::First), 6);
    EXPECT_EQ(marks(1, Half::Second), 99);
    EXPECT_EQ(marks(5, Half::Second), 6);
    read.reply = parseReadReply(std::string(16, ' '));
    EXPECT_FALSE(rowRefill(1, Half::First, read));
}

TEST_F(PriceReadTest, NoOpenPortEscapesAtTheFirstStep) {
    EXPECT_FALSE(press([this] { console.readPrices(); }));
    EXPECT_EQ(errors, Lines{"PurgeComm function failed (win error code: " +
                            std::to_string(ownFailure(FailureKind::NotOpen).code()) + ")"});
    EXPECT_EQ(observer.calls, (Lines{"progress:0", "progress:1", "stop?"}));
}

// A sign answering later than the polls look: each reply lands in a later
// pass, and may land in the next half's. Only a reply for the half asked for
// counts, so no half ever gets another half's price.
TEST_F(PriceReadTest, ALateReplyIsNeverTakenForAnotherHalf) {
    for (int lateMs : {200, 250, 300, 340}) {
        SignModel& sign = connectSign();
        for (int a : kAddresses) {
            const char d = static_cast<char>('0' + a % 10);
            sign.setHalf(a, {std::string(3, d) + (a < 8 ? '1' : '2'), '1', '0'});
        }
        sign.setProcessingDelay(milliseconds(lateMs));
        const ReadOutcome read = console.readPrices();
        for (int row = 1; row <= 5; ++row) {
            for (Half half : {Half::First, Half::Second}) {
                const HalfRead& got = read.at(row, half);
                EXPECT_TRUE(got.verdict != HalfVerdict::Answered ||
                            got.reply.price == sign.half(halfAddress(row, half)).price)
                    << lateMs << " ms, row " << row << ": " << got.reply.price;
            }
        }
    }
}

TEST_F(PriceReadTest, TheEffectPressedDuringTheReadDoesNotDisturbIt) {
    SignModel& sign = connectSign();
    fill(sign, {"3141", '2', '0'});
    int stops = 0;
    observer.onStopNow = [&] {
        if (++stops == 5) {  // between two halves
            EXPECT_TRUE(console.effect(4).confirmed);
        }
        return false;
    };
    const ReadOutcome read = console.readPrices();
    EXPECT_EQ(sign.effectSeconds(), 4);
    for (const auto& row : read.halves) {
        for (const HalfRead& half : row) {
            EXPECT_TRUE(&row == &read.halves[0] || half.reply.priceText() == "31.41");
        }
    }
}

TEST_F(PriceReadTest, AStopAskedForEndsTheReadAtTheNextStep) {
    connectSign();
    int stops = 0;
    observer.onStopNow = [&] { return ++stops == 3; };
    EXPECT_THROW(console.readPrices(), WorkflowStopped);
    EXPECT_EQ(framesWritten(), (Lines{"R0E", "R1E"}));
}

// A read with a deadline makes the same exchanges and stops between them: a
// pass only when it can end in time, a repeat only while every half after it
// keeps a pass. How many passes each step made ("0": NotRead), and the read
// ends by its deadline.
TEST_F(PriceReadTest, ADeadlineLeavesFewerPassesAndEndsTheReadInTime) {
    const auto silent = [](SignModel& s) { s.addFault(Fault::silence()); };
    const auto silentAt9 = [](SignModel& s) { s.addFault(Fault::silence().forAddress(9)); };
    const struct {
        const char* sign;
        std::function<void(SignModel&)> fault;
        int deadlineMs;
        std::string passes;  // per step, in the read's order
        bool cutShort;
    } cases[] = {
        {"answering", nullptr, 1100, "1111111111", false},
        {"answering", nullptr, 600, "1111100000", true},
        {"silent", silent, 2100, "1111111111", true},
        {"silent", silent, 4700, "7721111111", true},
        {"silent at address 9", silentAt9, 2000, "1111111151", true},
        {"silent at address 9", silentAt9, 9000, "1111111171", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.sign) + " by " + std::to_string(c.deadlineMs));
        SignModel& sign = connectSign();
        if (c.fault) {
            c.fault(sign);
        }
        const std::size_t before = framesWritten().size();
        const std::int64_t start = sim.clock.now_ms();
        const ReadOutcome read = console.readPrices(start + c.deadlineMs);
        EXPECT_LE(sim.clock.now_ms() - start, c.deadlineMs);
        const Lines all = framesWritten();
        const Lines frames(all.begin() + long(before), all.end());
        std::string passes;
        for (const char* address : {"0", "1", "2", "3", "4", "<", ";", ":", "9", "8"}) {
            passes += std::to_string(
                std::count(frames.begin(), frames.end(), std::string("R") + address + "E"));
        }
        EXPECT_EQ(passes, c.passes);
        EXPECT_EQ(read.cutShort, c.cutShort);
        EXPECT_EQ(read.at(1, Half::Second).verdict == HalfVerdict::NotRead, c.passes[5] == '0');
    }
}

}  // namespace
}  // namespace stela
