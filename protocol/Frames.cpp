#include "protocol/Frames.h"

#include <algorithm>

namespace stela {

namespace {
constexpr std::string_view kHexDigits = "0123456789ABCDEF";
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

std::optional<WriteFrame> parseWriteFrame(std::string_view bytes) {
    constexpr std::size_t kEndAt = 8;
    if (bytes.size() != kWriteFrameSize || bytes[0] != 'W' || bytes[kEndAt] != 'E') {
        return std::nullopt;
    }
    WriteFrame frame;
    frame.address = addressCharacterOf(bytes);
    frame.price = std::string(bytes.substr(2, 4));
    frame.grade = bytes[6];
    frame.captions = bytes[7];
    frame.checksum = std::string(bytes.substr(kEndAt + 1));
    frame.checksumMatches = frame.checksum == frameChecksum(bytes.substr(0, kEndAt + 1));
    return frame;
}

bool confirmsWrite(std::string_view reply) {
    return reply.substr(0, 3) == "WOK";
}

std::string composeReadFrame(char addressChar) {
    return {'R', addressChar, 'E'};
}

std::string composeReadReply(char addressChar, std::string_view price, char grade, char captions,
                             std::string_view extra) {
    std::string reply = "T";
    reply += addressChar;
    reply += price;
    reply += grade;
    reply += captions;
    reply += extra;
    reply += "OK";
    return reply + frameChecksum(reply);
}

ReadReply parseReadReply(std::string_view bytes) {
    using L = ReadReplyLayout;
    const auto at = [bytes](std::size_t i) { return i < bytes.size() ? bytes[i] : ' '; };
    ReadReply r;
    r.size = bytes.size();
    r.address = at(L::kAddress);
    for (std::size_t i = L::kPrice; i < L::kPrice + 4; ++i) {
        r.price += at(i);
    }
    r.grade = at(L::kGrade);
    r.captions = at(L::kCaptions);
    r.framed = at(0) == 'T' && at(L::kOk) == 'O' && at(L::kOk + 1) == 'K';
    r.checksumReceived = std::string(bytes.substr(std::min(L::kChecksum, bytes.size()), 2));
    r.checksumComputed = frameChecksum(bytes.substr(0, L::kChecksum));
    return r;
}

bool ReadReply::checksumMatches() const {
    return size == ReadReplyLayout::kSize && checksumReceived == checksumComputed;
}

ReplyVerdict readReplyVerdict(const ReadReply& reply, char addressChar) {
    if (reply.size != ReadReplyLayout::kSize) {
        return ReplyVerdict::Incomplete;
    }
    if (!reply.checksumMatches()) {
        return ReplyVerdict::BadChecksum;
    }
    if (reply.address != addressChar) {
        return ReplyVerdict::WrongAddress;
    }
    const auto all = [&reply](bool (*test)(char)) {
        return std::all_of(reply.price.begin(), reply.price.end(), test);
    };
    if (!all(isPriceCharacter)) {
        return ReplyVerdict::NotPriceCharacters;
    }
    if (!reply.framed) {
        return ReplyVerdict::NotFramed;
    }
    if (all([](char c) { return c == '-'; })) {
        return ReplyVerdict::NoPrice;
    }
    return all([](char c) { return c >= '0' && c <= '9'; }) ? ReplyVerdict::Price
                                                            : ReplyVerdict::NotAPrice;
}

std::string ReadReply::priceText() const {
    return price.substr(0, 2) + "." + price.substr(2, 2);
}

int ReadReply::gradeIndex() const {
    return static_cast<unsigned char>(grade) - '1';
}

bool checkReadReply(std::string_view reply) {
    return parseReadReply(reply).checksumMatches();
}

bool identifiesSign(std::string_view reply) {
    return reply.size() >= 2 && reply[0] == 'T' && reply[1] == '0';
}

}  // namespace stela
