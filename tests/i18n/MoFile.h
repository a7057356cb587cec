#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace stela::test {

using MoEntries = std::vector<std::pair<std::string, std::string>>;

// The bytes of a .mo catalogue holding `entries` (original, translation) in
// their order, without a hash table, in either byte order.
inline std::string moBytes(const MoEntries& entries, bool bigEndian = false) {
    std::string out;
    auto word = [&](std::uint32_t w) {
        for (int i = 0; i < 4; ++i) {
            out += static_cast<char>(w >> (bigEndian ? 8 * (3 - i) : 8 * i));
        }
    };
    const auto n = static_cast<std::uint32_t>(entries.size());
    const std::uint32_t originals = 28;
    const std::uint32_t translations = originals + 8 * n;
    word(0x950412de);
    word(0);
    word(n);
    word(originals);
    word(translations);
    word(0);
    word(0);
    std::string strings;
    std::uint32_t at = translations + 8 * n;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> table[2];
    for (int side = 0; side < 2; ++side) {
        for (const auto& entry : entries) {
            const std::string& s = side == 0 ? entry.first : entry.second;
            table[side].push_back({static_cast<std::uint32_t>(s.size()), at});
            strings += s;
            strings += '\0';
            at += static_cast<std::uint32_t>(s.size()) + 1;
        }
    }
    for (const auto& side : table) {
        for (const auto& [length, offset] : side) {
            word(length);
            word(offset);
        }
    }
    return out + strings;
}

inline const std::string kUtf8Header = "Content-Type: text/plain; charset=UTF-8\n";

}  // namespace stela::test
