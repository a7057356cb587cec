#include "protocol/LogText.h"

#include <gtest/gtest.h>

#include <string>

namespace stela {
namespace {

TEST(LogText, PrintableAsciiAndBlanksStayAsTheyAre) {
    EXPECT_EQ(logText(""), "");
    EXPECT_EQ(logText("T0----10A0OK3F"), "T0----10A0OK3F");
    EXPECT_EQ(logText(std::string(16, ' ')), std::string(16, ' '));
}

TEST(LogText, ControlBytesBecomeVisibleSymbols) {
    EXPECT_EQ(logText(std::string("\0", 1)), "\u2400");
    EXPECT_EQ(logText("\r\n"), "\u240D\u240A");
    EXPECT_EQ(logText("\x1F"), "\u241F");
    EXPECT_EQ(logText("\x7F"), "\u2421");
    EXPECT_EQ(logText(std::string("WOK\0\0", 5)), "WOK\u2400\u2400");
}

TEST(LogText, UpperHalfFollowsWindows1251) {
    EXPECT_EQ(logText("\xCF\xF0\xE8\xED\xFF\xEB:"), "Принял:");
    EXPECT_EQ(logText("\xC0\xDF\xE0\xFF"), "АЯая");
    EXPECT_EQ(logText("\xA8\xB8"), "Ёё");
    EXPECT_EQ(logText("\x80\x88\x97\x99\xB9"), "Ђ€—™№");
    EXPECT_EQ(logText("\xA0\xAD"), "\u00A0\u00AD");
    EXPECT_EQ(logText("\x98"), "\uFFFD");
}

TEST(LogText, EveryByteGivesExactlyOneCharacter) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    const std::string text = logText(all);
    std::size_t characters = 0;
    for (unsigned char c : text) {
        characters += (c & 0xC0) != 0x80;  // count lead bytes
    }
    EXPECT_EQ(characters, 256u);
}

}  // namespace
}  // namespace stela
