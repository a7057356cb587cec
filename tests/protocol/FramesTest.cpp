#include "protocol/Frames.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace stela {
namespace {

PriceRowInputs row(std::string price, bool notUsed, int grade, bool c1, bool c2) {
    return {std::move(price), notUsed, grade, c1, c2};
}

TEST(WriteFrame, WorkedExampleForBothHalvesOfTheBottomRow) {
    const auto bottom = row("45.67", false, 2, true, false);
    EXPECT_EQ(composeWriteFrame(addressCharacter(firstHalfAddress(5)), bottom), "W0456731E20");
    EXPECT_EQ(composeWriteFrame(addressCharacter(secondHalfAddress(5)), bottom), "W8456731E28");

    const auto unused = row("45.67", true, 0, false, false);
    EXPECT_EQ(composeWriteFrame('0', unused),
              std::string("\x57\x30\x2D\x2D\x2D\x2D\x31\x30\x45\x32\x33"));
}

TEST(WriteFrame, PriceCharactersFromTheMaskedField) {
    EXPECT_EQ(priceCharacters("  .  ", false), "0000");
    EXPECT_EQ(priceCharacters(" 5.6 ", false), "0560");
    EXPECT_EQ(priceCharacters("1 . 5", false), "1005");
    EXPECT_EQ(priceCharacters("99.99", true), "----");
    EXPECT_EQ(priceCharacters("  .  ", true), "----");
    // A price read back as "--.--" goes back as it came.
    EXPECT_EQ(priceCharacters("--.--", false), "----");
    // Short or odd text still gives four valid characters.
    EXPECT_EQ(priceCharacters("", false), "0000");
    EXPECT_EQ(priceCharacters("4x.\xFF"
                              "7",
                              false),
              "4007");
}

TEST(WriteFrame, NotUsedRowStillSendsGradeAndCaptions) {
    const std::string frame = composeWriteFrame('<', row("12.34", true, 4, true, true));
    EXPECT_EQ(frame.substr(0, 9), "W<----53E");
    EXPECT_EQ(frame.substr(9), frameChecksum(frame.substr(0, 9)));
}

TEST(WriteFrame, GradeCodeAndCaptionFlags) {
    EXPECT_EQ(gradeCode(-1), '0');
    EXPECT_EQ(gradeCode(0), '1');
    EXPECT_EQ(gradeCode(4), '5');
    EXPECT_EQ(gradeCode(5), '0');
    EXPECT_EQ(captionFlags(false, false), '0');
    EXPECT_EQ(captionFlags(true, false), '1');
    EXPECT_EQ(captionFlags(false, true), '2');
    EXPECT_EQ(captionFlags(true, true), '3');
}

TEST(Checksum, AlwaysTwoUpperCaseDigitsHighFirst) {
    EXPECT_EQ(frameChecksum(""), "00");
    EXPECT_EQ(frameChecksum("\x0A"), "0A");
    EXPECT_EQ(frameChecksum("\xF0"), "F0");
    EXPECT_EQ(frameChecksum("W0456731E"), "20");
    EXPECT_EQ(frameChecksum(std::string("ab\0", 3)), "03");
}

TEST(Addresses, RowsAndHalvesMapToTheSignsAddressCharacters) {
    const std::string firsts = {addressCharacter(firstHalfAddress(1)),
                                addressCharacter(firstHalfAddress(5))};
    const std::string seconds = {
        addressCharacter(secondHalfAddress(1)), addressCharacter(secondHalfAddress(2)),
        addressCharacter(secondHalfAddress(3)), addressCharacter(secondHalfAddress(5))};
    EXPECT_EQ(firsts, "40");
    EXPECT_EQ(seconds, "<;:8");
    EXPECT_EQ(composeReadFrame(';'), "R;E");
    for (int a : {0, 4, 8, 12}) {
        EXPECT_TRUE(isHalfAddress(a)) << a;
    }
    for (int a : {-1, 5, 7, 13, 48}) {
        EXPECT_FALSE(isHalfAddress(a)) << a;
    }
}

TEST(ReadReply, AcceptsOnlyFourteenBytesWithTheMatchingUpperCaseChecksum) {
    const std::string body = "T84567310AOK";
    ASSERT_EQ(frameChecksum(body), "1B");
    EXPECT_TRUE(checkReadReply(body + "1B"));
    EXPECT_FALSE(checkReadReply(body + "1C"));
    EXPECT_FALSE(checkReadReply(body + "B1"));
    // Lower-case letters never match, even for the right value.
    EXPECT_FALSE(checkReadReply(body + "1b"));
}

TEST(ReadReply, RejectsEveryOtherLengthWithoutReadingPastTheBuffer) {
    const std::string good = "T84567310AOK1B";
    for (std::size_t n = 0; n < good.size(); ++n) {
        EXPECT_FALSE(checkReadReply(good.substr(0, n))) << n;
    }
    EXPECT_FALSE(checkReadReply(good + "1B"));
    EXPECT_FALSE(checkReadReply(std::string(16, ' ')));
    EXPECT_FALSE(checkReadReply(std::string(14, '\0')));  // checksum "00" is not "\0\0"
    EXPECT_TRUE(checkReadReply(std::string(12, '\0') + "00"));
}

TEST(ReadReply, TakenApartAndJudgedForTheHalfAskedFor) {
    const std::string good = composeReadReply('8', "4567", '3', '1', "0A");
    ASSERT_EQ(good, "T84567310AOK1B");
    using V = ReplyVerdict;
    struct Case {
        std::string bytes;
        ReplyVerdict verdict;
        bool framed;
    };
    const Case cases[] = {
        {good, V::Price, true},
        {composeReadReply('9', "4567", '3', '1', "0A"), V::WrongAddress, true},
        {composeReadReply('8',
                          "45\x1b"
                          "7",
                          '3', '1', "0A"),
         V::NotPriceCharacters, true},
        {composeReadReply('8', "----", '3', '1', "0A"), V::NoPrice, true},
        {composeReadReply('8', "4-6-", '3', '1', "0A"), V::NotAPrice, true},
        {good.substr(0, 12) + "1b", V::BadChecksum, true},  // lower-case checksum
        {"X" + good.substr(1, 11) + frameChecksum("X" + good.substr(1, 11)), V::NotFramed, false},
        {good + "1B", V::Incomplete, true},  // not 14 bytes
        {std::string(16, ' '), V::Incomplete, false},
        {"T8", V::Incomplete, false},
    };
    for (const Case& c : cases) {
        const ReadReply reply = parseReadReply(c.bytes);
        EXPECT_EQ(readReplyVerdict(reply, '8'), c.verdict) << c.bytes;
        EXPECT_EQ(reply.framed, c.framed) << c.bytes;
    }
    const ReadReply reply = parseReadReply(good);
    EXPECT_EQ(std::make_tuple(reply.priceText(), reply.gradeIndex(), reply.caption1(),
                              reply.caption2(), reply.checksumReceived),
              std::make_tuple("45.67", 2, true, false, "1B"));
    const ReadReply blank = parseReadReply(std::string(16, ' '));
    EXPECT_EQ(std::make_pair(blank.checksumReceived, blank.checksumComputed),
              std::make_pair(std::string("  "), std::string("00")));
}

TEST(WriteFrame, TakenApartOnlyWithItsLayout) {
    const auto frame = parseWriteFrame("W0456731E20");
    ASSERT_TRUE(frame);
    EXPECT_EQ(std::make_tuple(frame->address, frame->price, frame->grade, frame->captions,
                              frame->checksum, frame->checksumMatches),
              std::make_tuple('0', "4567", '3', '1', "20", true));
    EXPECT_FALSE(parseWriteFrame("W0456731E21")->checksumMatches);
    for (const char* other : {"W0456731E2", "W0456731X20", "R0456731E20", ""}) {
        EXPECT_FALSE(parseWriteFrame(other)) << other;
    }
}

TEST(Replies, IdentificationAndWriteConfirmation) {
    EXPECT_TRUE(identifiesSign("T0"));
    EXPECT_TRUE(identifiesSign("T0anything"));
    EXPECT_FALSE(identifiesSign("T1----10A0"));
    EXPECT_FALSE(identifiesSign("T"));
    EXPECT_TRUE(confirmsWrite("WOK20"));
    EXPECT_TRUE(confirmsWrite("WOK"));
    EXPECT_FALSE(confirmsWrite("WO"));
    EXPECT_FALSE(confirmsWrite("wOK"));
}

}  // namespace
}  // namespace stela
