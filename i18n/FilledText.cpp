#include "i18n/FilledText.h"

#include "i18n/Translate.h"

namespace stela {
namespace {

void appendShown(std::string& out, const std::string& value) {
    static const char kHex[] = "0123456789ABCDEF";
    for (char c : value) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            out += "\\x";
            out += kHex[u >> 4];
            out += kHex[u & 0x0F];
        } else {
            out += c;
        }
    }
}

}  // namespace

std::string filled(const char* text, std::initializer_list<std::string> values) {
    return fillIn(translateDefault(text), values);
}

std::string fillIn(const std::string& translated, std::initializer_list<std::string> values) {
    std::string out;
    for (std::size_t i = 0; i < translated.size(); ++i) {
        const char next = i + 1 < translated.size() ? translated[i + 1] : '\0';
        const std::size_t n = next >= '1' && next <= '9' ? std::size_t(next - '0') : 0;
        if (translated[i] == '%' && n >= 1 && n <= values.size()) {
            appendShown(out, values.begin()[n - 1]);  // one pass: "%2" in a value stays
            ++i;
        } else {
            out += translated[i];
        }
    }
    return out;
}

}  // namespace stela
