// Any bytes through the frame parsers, the read-reply check, the checksum and the
// log text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "protocol/Frames.h"
#include "protocol/LogText.h"

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Well-formed UTF-8 of one- to three-byte sequences with no C0 control or DEL.
bool visibleUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : 0;
        if (len == 0 || i + len > s.size() || (len == 1 && (c < 0x20 || c == 0x7F))) {
            return false;
        }
        for (std::size_t k = 1; k < len; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += len;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const bool valid = stela::checkReadReply(bytes);
    require(!valid ||
            (size == 14 && bytes.substr(12) == stela::frameChecksum(bytes.substr(0, 12))));
    require(stela::frameChecksum(bytes).size() == 2);

    const stela::ReadReply reply = stela::parseReadReply(bytes);
    require(reply.checksumMatches() == valid);
    require(reply.price.size() == 4 && reply.priceText().size() == 5);
    if (stela::answersRead(stela::readReplyVerdict(reply, reply.address))) {
        require(valid && reply.address == bytes[1]);
        for (char c : reply.price) {
            require(stela::isPriceCharacter(c));
        }
    }
    if (const auto frame = stela::parseWriteFrame(bytes)) {
        require(size == stela::kWriteFrameSize && frame->price == bytes.substr(2, 4));
        require(frame->checksumMatches ==
                (bytes.substr(9) == stela::frameChecksum(bytes.substr(0, 9))));
    }
    if (stela::identifiesSign(bytes)) {
        require(size >= 2);
    }
    require(visibleUtf8(stela::logText(bytes)));
    return 0;
}
