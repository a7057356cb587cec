#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace stela {

// The translations of one GNU gettext message catalogue (.mo file), read into
// a hash table. Only singular messages are looked up: a plural entry answers
// for its singular form with its first translation.
class MoCatalogue {
public:
    // Takes a catalogue's bytes apart. A catalogue in another charset than
    // UTF-8 (as its header names it) is converted to UTF-8 with iconv. Anything
    // that is not a whole, valid catalogue (short, wrong magic or revision, a
    // table or string past the end or unterminated, a charset iconv does not
    // know, a text invalid in it) gives nothing: the caller keeps its texts
    // unchanged.
    static std::optional<MoCatalogue> parse(std::string_view bytes);

    // The translation of `text`, or nullptr when the catalogue has none.
    const std::string* find(const std::string& text) const;

    std::size_t size() const { return translations_.size(); }

private:
    std::unordered_map<std::string, std::string> translations_;
};

// Reads and parses the catalogue file at `path`; nothing when it is missing,
// unreadable, not a regular file, implausibly large or broken.
std::optional<MoCatalogue> loadMoCatalogue(const std::string& path);

}  // namespace stela
