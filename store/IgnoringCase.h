#pragma once

#include <cstddef>
#include <string_view>

namespace stela {

// Case-blind comparison of ASCII letters, as registry key and value names and
// port names and URL schemes compare; other bytes compare as they are, whatever
// the locale.

constexpr char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

constexpr bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace stela
