#include "protocol/Frames.h"

namespace stela {

namespace {
constexpr std::string_view kHexDigits = "0123456789ABCDEF";
constexpr std::size_t kReadReplySize = 14;
constexpr std::size_t kReadReplyChecksumAt = 12;
}  // namespace

bool isPriceCharacter(char c) {
    return (c >= '0' && c <= '9') || c == '-';
}

std::string frameChecksum(std::string_view bytes) {
    unsigned x = 0;
    for (char c : bytes) {
        x ^= static_cast<unsigned char>(c);
    }
    return {kHexDigits[x >> 4], kHexDigits[x & 0x0F]};
}

std::string priceCharacters(std::string_view priceText, bool notUsed) {
    std::string out;
    for (std::size_t place : {0, 1, 3, 4}) {
        const char c = place < priceText.size() ? priceText[place] : ' ';
        if (notUsed) {
            out += '-';
        } else {
            // A blank is an empty place. A "-" stays: a price read back as
            // "--.--" is written back as it was. Anything else the field may
            // hold is sent as "0" too, so every input makes a valid frame.
            out += isPriceCharacter(c) ? c : '0';
        }
    }
    return out;
}

char gradeCode(int gradeIndex) {
    return (gradeIndex >= 0 && gradeIndex <= 4) ? static_cast<char>('1' + gradeIndex) : '0';
}

char captionFlags(bool caption1, bool caption2) {
    return static_cast<char>('0' + (caption1 ? 1 : 0) + (caption2 ? 2 : 0));
}

std::string composeWriteFrame(char addressChar, const PriceRowInputs& row) {
    std::string frame = "W";
    frame += addressChar;
    frame += priceCharacters(row.priceText, row.notUsed);
    frame += gradeCode(row.gradeIndex);
    frame += captionFlags(row.caption1, row.caption2);
    frame += 'E';
    return frame + frameChecksum(frame);
}

std::string composeReadFrame(char addressChar) {
    return {'R', addressChar, 'E'};
}

bool checkReadReply(std::string_view reply) {
    if (reply.size() != kReadReplySize) {
        return false;
    }
    return reply.substr(kReadReplyChecksumAt) ==
           frameChecksum(reply.substr(0, kReadReplyChecksumAt));
}

bool answersReadOf(std::string_view reply, char addressChar) {
    constexpr std::size_t kPriceAt = 2, kPriceSize = 4;
    if (reply.size() < kPriceAt + kPriceSize || reply[1] != addressChar) {
        return false;
    }
    for (char c : reply.substr(kPriceAt, kPriceSize)) {
        if (!isPriceCharacter(c)) {
            return false;
        }
    }
    return true;
}

}  // namespace stela
