#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace stela {

// Frames exchanged with the sign's controller. Every frame is a short string of
// printable ASCII with no start byte, length field or terminator. This file and
// its .cpp are the one place that knows their layouts.

// A price row is numbered 1 (top) to 5 (bottom); row r is panel 5 - r. The first
// half of panel p has address p, the second half p + 8.
constexpr int firstHalfAddress(int row) {
    return 5 - row;
}
constexpr int secondHalfAddress(int row) {
    return 13 - row;
}
// A price row's two halves: the first (address p) and the second (p + 8).
enum class Half { First, Second };
constexpr int halfAddress(int row, Half half) {
    return half == Half::First ? firstHalfAddress(row) : secondHalfAddress(row);
}
constexpr bool isHalfAddress(int address) {
    return (address >= 0 && address <= 4) || (address >= 8 && address <= 12);
}
// On the line an address travels as 0x30 + address ("0".."4", "8", "9", ":", ";", "<").
constexpr char addressCharacter(int address) {
    return static_cast<char>('0' + address);
}
constexpr int addressOf(char addressChar) {
    return addressChar - '0';
}
// Read and write frames carry their half's address character at byte 1.
constexpr char addressCharacterOf(std::string_view frame) {
    return frame.size() > 1 ? frame[1] : '\0';
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

// --- Write frame: "W", address, 4 price characters, grade code, caption flags, "E",
// checksum of those nine bytes. 11 bytes.
inline constexpr std::size_t kWriteFrameSize = 11;

std::string composeWriteFrame(char addressChar, const PriceRowInputs& row);

// A write frame taken apart (the sign's side of the line).
struct WriteFrame {
    char address = 0;
    std::string price;  // the four price characters as sent
    char grade = 0;
    char captions = 0;
    std::string checksum;  // the two characters as sent
    bool checksumMatches = false;
};
// Nothing unless `bytes` has the write frame's layout: 11 bytes, "W" first, "E" at 8.
std::optional<WriteFrame> parseWriteFrame(std::string_view bytes);

// The sign confirms a stored write frame with these three bytes first.
bool confirmsWrite(std::string_view reply);

// --- Read frame: "R", address character, "E". 3 bytes, no checksum.
inline constexpr std::size_t kReadFrameSize = 3;

std::string composeReadFrame(char addressChar);

// --- Read reply: "T", address, 4 price characters, grade code, caption flags, two
// bytes nobody examines, "OK", checksum of the twelve bytes before it. 14 bytes.
struct ReadReplyLayout {
    static constexpr std::size_t kAddress = 1, kPrice = 2, kGrade = 6, kCaptions = 7, kOk = 10,
                                 kChecksum = 12, kSize = 14;
};

// `extra` fills the two bytes nobody examines.
std::string composeReadReply(char addressChar, std::string_view price, char grade, char captions,
                             std::string_view extra);

// A read reply taken apart. Any bytes parse; what is missing reads as blanks.
struct ReadReply {
    std::size_t size = 0;  // of the bytes parsed
    char address = 0;
    std::string price;  // the four price characters as received
    char grade = 0;
    char captions = 0;
    bool framed = false;           // "T" at byte 0 and "OK" at bytes 10 and 11
    std::string checksumReceived;  // bytes 12 and 13 as they stand
    std::string checksumComputed;  // the checksum of bytes 0 to 11

    // Exactly 14 bytes whose last two are the checksum of the others.
    bool checksumMatches() const;
    // As a read-back label shows it: "12.34", "--.--".
    std::string priceText() const;
    // Grade code - '1': 0..4 for a grade of the list, anything else for none.
    int gradeIndex() const;
    bool caption1() const { return (static_cast<unsigned char>(captions) & 1) != 0; }
    bool caption2() const { return (static_cast<unsigned char>(captions) & 2) != 0; }
};
ReadReply parseReadReply(std::string_view bytes);

// What a read reply says to the read of `addressChar`, by the first test it
// fails in this order (the later, the further the reply got): not 14 bytes
// (nothing, or too little, came), a checksum that does not match, another
// half's address, price bytes that are no price characters, no "T" and "OK"
// around them; then what its price characters make.
enum class ReplyVerdict {
    Incomplete,
    BadChecksum,
    WrongAddress,
    NotPriceCharacters,
    NotFramed,
    NotAPrice,  // price characters that make no price: digits and dashes mixed
    NoPrice,    // "----": a panel without a price
    Price,      // four digits
};
ReplyVerdict readReplyVerdict(const ReadReply& reply, char addressChar);
// The sign has answered the read, and asking again would not change what it
// said: the reply's checksum, address and price characters are right.
constexpr bool answersRead(ReplyVerdict verdict) {
    return verdict >= ReplyVerdict::NotFramed;
}

// True when `reply` is exactly 14 bytes and its bytes 12 and 13 are the checksum
// of bytes 0 to 11. Only the checksum is judged.
bool checkReadReply(std::string_view reply);

// --- Identification: the board search sends the read frame of address 0 and
// takes a port whose reply begins with "T" and "0".
inline constexpr char kIdentificationCommand[] = "R0E";
bool identifiesSign(std::string_view reply);

}  // namespace stela
