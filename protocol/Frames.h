#pragma once

#include <array>
#include <string>
#include <string_view>

namespace stela {

// Frames exchanged with the sign's controller. Every frame is a short string of
// printable ASCII with no start byte, length field or terminator.

// A price row is numbered 1 (top) to 5 (bottom); row r is panel 5 - r. The first
// half of panel p has address p, the second half p + 8.
constexpr int firstHalfAddress(int row) {
    return 5 - row;
}
constexpr int secondHalfAddress(int row) {
    return 13 - row;
}
constexpr bool isHalfAddress(int address) {
    return (address >= 0 && address <= 4) || (address >= 8 && address <= 12);
}
// On the line an address travels as 0x30 + address ("0".."4", "8", "9", ":", ";", "<").
constexpr char addressCharacter(int address) {
    return static_cast<char>('0' + address);
}

// The grade list in its order; a grade code is '1' + the position in it, '0' for none.
inline const std::array<const char*, 5> kGradeNames = {"80", "92", "95", "98", "ДТ"};

// What the console reads from one price row to write it.
struct PriceRowInputs {
    std::string priceText;  // the masked field's value, "dd.dd", a blank for every empty place
    bool notUsed = false;   // "Не исп."
    int gradeIndex = -1;    // the grade selection's item index, -1 when none is selected
    bool caption1 = false;  // "Надпись 1"
    bool caption2 = false;  // "Надпись 2"
};

// A price travels as four of these: a digit, or "-" for a panel without a price.
bool isPriceCharacter(char c);

// XOR of all bytes as two upper-case hex digits, high digit first.
std::string frameChecksum(std::string_view bytes);

// The four price characters: places 0, 1, 3 and 4 of the price text, each "-"
// when the row is not used, else the digit or "-" in that place, or "0".
std::string priceCharacters(std::string_view priceText, bool notUsed);
// '1' + index for 0..4; '0' for no selection (any other index).
char gradeCode(int gradeIndex);
// '0' + 1 for caption 1 + 2 for caption 2.
char captionFlags(bool caption1, bool caption2);

// "W", address character, price characters, grade code, caption flags, "E",
// checksum of those nine bytes: 11 bytes.
std::string composeWriteFrame(char addressChar, const PriceRowInputs& row);
// "R", address character, "E".
std::string composeReadFrame(char addressChar);

// True when `reply` is exactly 14 bytes and its bytes 12 and 13 are the checksum
// of bytes 0 to 11. Any other length is invalid: the console reads exactly 14
// bytes, so a shorter or longer buffer is a failed read (or its filler), never a
// reply. Only the checksum is judged; "T" and "OK" are the caller's to test.
bool checkReadReply(std::string_view reply);

// True when `reply` can be the answer to the read of `addressChar`: byte 1 is
// that address character and bytes 2 to 5 are price characters ("0"-"9" or
// "-"). A late reply to another half, or bytes that no price is made of, fail
// this even when their checksum matches.
bool answersReadOf(std::string_view reply, char addressChar);

}  // namespace stela
