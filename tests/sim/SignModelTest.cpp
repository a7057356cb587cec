#include "sim/SignModel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/Frames.h"

namespace stela {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

constexpr SimTime kFarFuture = std::chrono::hours(1);

std::string text(const std::vector<TimedByte>& bytes) {
    std::string s;
    for (const TimedByte& b : bytes) {
        s += b.byte;
    }
    return s;
}

// Everything the sign still has to say, taken event by event.
std::string drain(SignModel& sign) {
    std::string s;
    while (const auto next = sign.nextEventTime()) {
        s += text(sign.takeReplyBytes(*next));
    }
    return s;
}

// Sends `frame` as arriving at `at` (or just after the last event) and collects the reply.
std::string ask(SignModel& sign, const std::string& frame, SimTime at = {}) {
    sign.receive(frame, at);
    return drain(sign);
}

struct Recorder : SignObserver {
    std::vector<FrameEvent> frames;
    std::vector<std::string> discarded;
    std::vector<std::string> sent;
    void frameReceived(const FrameEvent& e) override { frames.push_back(e); }
    void bytesDiscarded(std::string_view b, SimTime) override { discarded.emplace_back(b); }
    void replySent(std::string_view b, SimTime) override { sent.emplace_back(b); }
};

TEST(SignModelAnswers, ReadReplyCarriesTheHalfWithAValidChecksum) {
    SignModel sign;
    const std::string reply = ask(sign, "R0E");
    EXPECT_EQ(reply, "T0----10A0OK10");
    EXPECT_TRUE(checkReadReply(reply));

    sign.setHalf(12, {"4567", '3', '1'});
    const std::string top = ask(sign, "R<E");
    EXPECT_EQ(top.substr(0, 12), "T<456731A0OK");
    EXPECT_TRUE(checkReadReply(top));
}

TEST(SignModelAnswers, WriteWithMatchingChecksumIsStoredAndConfirmed) {
    SignModel sign;
    EXPECT_EQ(ask(sign, "W0456731E20"), "WOK20");
    EXPECT_EQ(sign.half(0), (HalfContent{"4567", '3', '1'}));
    EXPECT_EQ(sign.half(8), HalfContent{});  // the other half is untouched

    const std::string unused = composeWriteFrame('<', {"12.34", true, -1, false, true});
    EXPECT_EQ(ask(sign, unused), "WOK" + unused.substr(9));
    EXPECT_EQ(sign.half(12), (HalfContent{"----", '0', '2'}));
    EXPECT_EQ(ask(sign, "R<E").substr(2, 6), "----02");
}

TEST(SignModelAnswers, NoReplyToABadWriteOrAMissingHalf) {
    SignModel sign;
    Recorder seen;
    sign.setObserver(&seen);
    EXPECT_EQ(ask(sign, "W0456731E21"), "");  // wrong checksum
    EXPECT_EQ(ask(sign, "W0456731e20"), "");  // 'e' is no frame end: bytes dropped
    EXPECT_EQ(ask(sign, "W0456731E2"), "");   // incomplete
    EXPECT_EQ(ask(sign, composeWriteFrame('5', {"45.67", false, 2, true, false})), "");
    EXPECT_EQ(ask(sign, "R5E"), "");
    EXPECT_EQ(ask(sign, "R?E"), "");
    const std::string badGrade = std::string("W04567") + "91E";
    EXPECT_EQ(ask(sign, badGrade + frameChecksum(badGrade)), "");
    EXPECT_EQ(sign.half(0), HalfContent{});

    std::vector<FrameOutcome> outcomes;
    for (const FrameEvent& e : seen.frames) {
        outcomes.push_back(e.outcome);
    }
    EXPECT_EQ(outcomes,
              (std::vector<FrameOutcome>{FrameOutcome::WrongChecksum, FrameOutcome::NoSuchAddress,
                                         FrameOutcome::NoSuchAddress, FrameOutcome::NoSuchAddress,
                                         FrameOutcome::InvalidContent}));
    EXPECT_TRUE(seen.sent.empty());
}

TEST(SignModelAnswers, BrightnessAndEffectCommands) {
    SignModel sign;
    EXPECT_EQ(ask(sign, "LM7"), "LM7");
    EXPECT_EQ(sign.brightnessMode(), BrightnessMode::Manual);
    EXPECT_EQ(sign.brightnessLevel(), 7);
    EXPECT_EQ(ask(sign, "R0E").substr(8, 2), "M7");
    EXPECT_EQ(ask(sign, "LA"), "LA");
    EXPECT_EQ(sign.brightnessMode(), BrightnessMode::Automatic);

    EXPECT_EQ(ask(sign, "q5"), "FOK");  // ends when the line falls idle
    EXPECT_EQ(sign.effectSeconds(), 5);
    EXPECT_EQ(ask(sign, "q120"), "FOK");  // three digits end it at once
    EXPECT_EQ(sign.effectSeconds(), 120);
    EXPECT_EQ(ask(sign, "q0"), "FOK");
    EXPECT_EQ(sign.effectSeconds(), 0);
    EXPECT_EQ(ask(sign, "q"), "");
    EXPECT_EQ(ask(sign, "LMx"), "");
}

TEST(SignModelAnswers, SetHalfRefusesWhatTheSignCannotHold) {
    SignModel sign;
    EXPECT_THROW(sign.setHalf(5, {}), std::out_of_range);
    EXPECT_THROW(sign.half(13), std::out_of_range);
    EXPECT_THROW(sign.setHalf(0, {"12a4", '1', '0'}), std::invalid_argument);
    EXPECT_THROW(sign.setHalf(0, {"123", '1', '0'}), std::invalid_argument);
    EXPECT_THROW(sign.setHalf(0, {"1234", '6', '0'}), std::invalid_argument);
    EXPECT_THROW(sign.setHalf(0, {"1234", '1', '4'}), std::invalid_argument);
}

TEST(SignModelStream, FramesBackToBackGarbageAndPartialFrames) {
    SignModel sign;
    Recorder seen;
    sign.setObserver(&seen);
    // Two copies of a write frame in one go, as the write confirmation sends them.
    EXPECT_EQ(ask(sign, "W0456731E20W0456731E20"), "WOK20WOK20");
    // Garbage and a broken frame in front of a good one cost nothing but themselves.
    const std::string noisy = std::string("\0\xFFxR0", 5) + "R8E";
    EXPECT_EQ(ask(sign, noisy, milliseconds(10)).substr(0, 2), "T8");
    EXPECT_EQ(seen.discarded.back(), std::string("\0\xFFxR0", 5));
    // "q" numbers end at the next frame's first byte.
    EXPECT_EQ(ask(sign, "q7LA", milliseconds(20)), "FOKLA");
    EXPECT_EQ(sign.effectSeconds(), 7);

    // A frame in progress is dropped when the line falls idle in the middle of it.
    sign.receive("R0", milliseconds(30));
    sign.receive("E", milliseconds(30) + sign.idleGap());
    EXPECT_EQ(drain(sign), "");
    // ...but the same bytes within the gap make one frame.
    sign.receive("R0", milliseconds(40));
    sign.receive("E", milliseconds(40) + sign.idleGap() - microseconds(1));
    EXPECT_EQ(drain(sign).substr(0, 2), "T0");
}

TEST(SignModelTiming, ReplyBytesFollowTheDelayAtWireSpeed) {
    SignModel sign;
    sign.setProcessingDelay(milliseconds(3));
    const SimTime sent = milliseconds(100);
    sign.receive("R0E", sent);
    EXPECT_EQ(sign.nextEventTime(), sent + milliseconds(3) + wireTime(1));
    EXPECT_TRUE(sign.takeReplyBytes(sent + milliseconds(3)).empty());

    const std::vector<TimedByte> reply = sign.takeReplyBytes(kFarFuture);
    ASSERT_EQ(reply.size(), 14u);
    for (std::size_t n = 1; n <= reply.size(); ++n) {
        const std::int64_t ns = 100'000'000 + 3'000'000 + 520'833 * static_cast<std::int64_t>(n) +
                                static_cast<std::int64_t>(n) / 3;  // 520833.33 ns a byte, exactly
        EXPECT_EQ(reply[n - 1].at.count(), ns) << n;
    }
    EXPECT_EQ(reply.back().at, sent + milliseconds(3) + wireTime(14));
    EXPECT_EQ(sign.nextEventTime(), std::nullopt);
}

TEST(SignModelTiming, BytesAreHandedOutOnceAsTheyBecomeDue) {
    SignModel sign;
    sign.setProcessingDelay(SimTime::zero());
    sign.receive("R0ELA", SimTime::zero());
    // 12th byte of the read reply, then the "LA" reply right behind the first.
    EXPECT_EQ(sign.takeReplyBytes(wireTime(12)).size(), 12u);
    EXPECT_EQ(text(sign.takeReplyBytes(wireTime(15) - SimTime(1))), "10L");
    EXPECT_EQ(text(sign.takeReplyBytes(wireTime(16))), "A");
}

TEST(SignModelTiming, EffectFrameIsCompleteWhenTheLineFallsIdle) {
    SignModel sign;
    sign.setProcessingDelay(milliseconds(1));
    sign.receive("q3", SimTime::zero());
    EXPECT_EQ(sign.nextEventTime(), sign.idleGap());
    const std::vector<TimedByte> reply = sign.takeReplyBytes(kFarFuture);
    ASSERT_EQ(text(reply), "FOK");
    EXPECT_EQ(reply[0].at, sign.idleGap() + milliseconds(1) + wireTime(1));
}

class SignModelFaults : public ::testing::Test {
protected:
    SignModelFaults() { sign.setHalf(8, {"4567", '3', '1'}); }
    std::string read8() { return ask(sign, "R8E"); }
    const std::string good = "T8456731A0OK1B";
    SignModel sign;
};

TEST_F(SignModelFaults, HealthyReplyForReference) {
    sign.addFault(Fault::silence().times(0));  // a fault for no reply at all
    EXPECT_EQ(read8(), good);
    EXPECT_TRUE(checkReadReply(good));
}

TEST_F(SignModelFaults, SilenceLosesTheFrameForTheChosenAddressAndCount) {
    sign.addFault(Fault::silence().forAddress(8).times(2));
    EXPECT_EQ(ask(sign, "R0E").substr(0, 2), "T0");
    EXPECT_EQ(ask(sign, "W8456731E28"), "");  // not stored either
    EXPECT_EQ(ask(sign, "W8000000E00" /* wrong sum: never counts */), "");
    EXPECT_EQ(read8(), "");
    EXPECT_EQ(read8(), good);  // only the next two replies
    EXPECT_TRUE(sign.faults().empty());
}

TEST_F(SignModelFaults, LostReplyStillActs) {
    sign.addFault(Fault::lostReply().onFrames(FrameKind::Write).times(1));
    EXPECT_EQ(ask(sign, "W0456731E20"), "");
    EXPECT_EQ(sign.half(0), (HalfContent{"4567", '3', '1'}));
    EXPECT_EQ(ask(sign, "W0456731E20"), "WOK20");
}

TEST_F(SignModelFaults, LateRepliesAndAfterSkipsHealthyOnes) {
    sign.setProcessingDelay(SimTime::zero());
    sign.addFault(Fault::late(milliseconds(160)).after(1).times(1));
    sign.receive("LA", SimTime::zero());
    EXPECT_EQ(sign.takeReplyBytes(milliseconds(5)).back().at, wireTime(2));

    sign.receive("R0E", milliseconds(10));
    const auto reply = sign.takeReplyBytes(kFarFuture);
    ASSERT_EQ(reply.size(), 14u);
    EXPECT_EQ(reply[11].at, milliseconds(170) + wireTime(12));
    EXPECT_TRUE(sign.faults().empty());
}

TEST_F(SignModelFaults, ChecksumFaultsOnlyTouchReadReplies) {
    const int wrong = sign.addFault(Fault::wrongChecksum().times(2));
    EXPECT_EQ(ask(sign, "LA"), "LA");
    EXPECT_EQ(ask(sign, "W0456731E20"), "WOK20");
    const std::string bad = read8();
    EXPECT_EQ(bad.substr(0, 12), good.substr(0, 12));
    EXPECT_FALSE(checkReadReply(bad));
    ASSERT_EQ(sign.faults().size(), 1u);
    EXPECT_EQ(sign.faults()[0].fault.count, 1);
    sign.removeFault(wrong);
    EXPECT_EQ(read8(), good);

    sign.addFault(Fault::lowerCaseChecksum());
    EXPECT_EQ(read8(), "T8456731A0OK1b");
}

TEST_F(SignModelFaults, WrongContentKeepsAValidChecksum) {
    sign.addFault(Fault::missingT().times(1));
    sign.addFault(Fault::missingOk().after(1).times(1));
    const std::string noT = read8();
    EXPECT_EQ(noT.substr(0, 12), "X8456731A0OK");
    EXPECT_TRUE(checkReadReply(noT));
    const std::string noOk = read8();
    EXPECT_EQ(noOk.substr(0, 12), "T8456731A0ER");
    EXPECT_TRUE(checkReadReply(noOk));

    sign.addFault(Fault::replacedBy(good).onFrames(FrameKind::Write).times(1));
    EXPECT_EQ(ask(sign, "W0456731E20"), good);
}

TEST_F(SignModelFaults, ShapeFaultsApplyInAFixedOrder) {
    sign.addFault(Fault::surplus("ZZ").times(1));
    sign.addFault(Fault::truncated(10).times(1));
    sign.addFault(Fault::inserted(1, "\xFF?").times(1));
    sign.addFault(Fault::nulBytes(0, 2).times(1));
    // Inserts first (in the order added), then the cut, then the surplus.
    EXPECT_EQ(read8(), std::string("\0\0T\xFF?84567", 10) + "ZZ");
    EXPECT_EQ(read8(), good);
}

TEST_F(SignModelFaults, GlobalFaultsReachCommandsAddressedOnesDoNot) {
    sign.addFault(Fault::truncated(1).forAddress(0));
    sign.addFault(Fault::surplus("!"));
    EXPECT_EQ(ask(sign, "LA"), "LA!");
    EXPECT_EQ(ask(sign, "q4"), "FOK!");
    EXPECT_EQ(ask(sign, "R0E"), "T!");
    EXPECT_EQ(read8(), good + "!");
}

TEST(SignModelObserver, SeesFramesAndRepliesAsTheyLeave) {
    SignModel sign;
    Recorder seen;
    sign.setObserver(&seen);
    sign.receive("R0E", SimTime::zero());
    ASSERT_EQ(seen.frames.size(), 1u);
    EXPECT_EQ(seen.frames[0].bytes, "R0E");
    EXPECT_EQ(seen.frames[0].outcome, FrameOutcome::Answered);
    sign.takeReplyBytes(sign.processingDelay() + wireTime(13));
    EXPECT_TRUE(seen.sent.empty());
    sign.takeReplyBytes(sign.processingDelay() + wireTime(14));
    EXPECT_EQ(seen.sent, std::vector<std::string>{"T0----10A0OK10"});
}

}  // namespace
}  // namespace stela
