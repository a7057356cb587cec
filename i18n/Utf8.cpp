#include "i18n/Utf8.h"

#include <cstdint>

namespace stela {

std::size_t firstNonUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = 0;
        std::uint32_t code = 0, least = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1, code = lead & 0x1F, least = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2, code = lead & 0x0F, least = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3, code = lead & 0x07, least = 0x10000;
        } else {
            return i;
        }
        if (text.size() - i <= static_cast<std::size_t>(extra)) {
            return i;
        }
        for (int k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80) {
                return i;
            }
            code = (code << 6) | (c & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return i;
        }
        i += extra + 1;
    }
    return std::string_view::npos;
}

namespace {

void appendEscaped(std::string& out, unsigned char byte) {
    static const char kHex[] = "0123456789ABCDEF";
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

// `controls`: control characters other than `keep` are escaped as well.
std::string escaped(std::string_view text, bool controls, std::string_view keep) {
    std::string out;
    while (!text.empty()) {
        const std::string_view good = text.substr(0, firstNonUtf8(text));
        for (std::size_t i = 0; i < good.size(); ++i) {
            const auto u = static_cast<unsigned char>(good[i]);
            // C1 controls (U+0080..U+009F) are 0xC2 0x80..0x9F in UTF-8.
            const bool c1 = u == 0xC2 && static_cast<unsigned char>(good[i + 1]) < 0xA0;
            const bool c0 = (u < 0x20 || u == 0x7F) && keep.find(good[i]) == std::string_view::npos;
            if (controls && (c0 || c1)) {
                appendEscaped(out, u);
                if (c1) {
                    appendEscaped(out, static_cast<unsigned char>(good[++i]));
                }
            } else {
                out += good[i];
            }
        }
        if (good.size() == text.size()) {
            break;
        }
        appendEscaped(out, static_cast<unsigned char>(text[good.size()]));
        text.remove_prefix(good.size() + 1);
    }
    return out;
}

}  // namespace

std::string escapedText(std::string_view text, std::string_view keep) {
    return escaped(text, true, keep);
}

std::string escapedBadBytes(std::string_view text) {
    return escaped(text, false, {});
}

std::size_t incompleteTail(std::string_view text) {
    for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
        const auto c = static_cast<unsigned char>(text[text.size() - back]);
        if ((c & 0xC0) != 0x80) {
            const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
            return length > back ? back : 0;
        }
    }
    return 0;
}

}  // namespace stela
