#include "protocol/Frames.h"

#include <gtest/gtest.h>

#include <string>

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

}  // namespace
}  // namespace stela
