#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stela {

// One value of a registry export, typed as the file spells it.
struct RegValue {
    enum class Type { String, Dword, Binary, Delete };

    Type type = Type::String;
    std::string text;                 // String
    std::uint32_t number = 0;         // Dword
    std::uint32_t rawType = 3;        // Binary: the n of hex(n); 3 (REG_BINARY) is written hex:
    std::vector<std::uint8_t> bytes;  // Binary

    static RegValue string(std::string text);
    static RegValue dword(std::uint32_t number);

    friend bool operator==(const RegValue& a, const RegValue& b);
    friend bool operator!=(const RegValue& a, const RegValue& b) { return !(a == b); }
};

// A file in the text format of registry exports ("Windows Registry Editor
// Version 5.00", then [key] sections of "name"=value lines). Parsing keeps every
// line as it was written, so text() of an unchanged file gives back its bytes,
// comments, spacing and line ends included; a value that is set is written anew
// in the canonical form. Key and value names compare ignoring (ASCII) case and keep
// the spelling they were created with.
class RegFile {
public:
    struct Entry {
        std::string key;
        std::string name;  // "" for the default value (@)
        RegValue value;
    };

    // A new file: the header line alone.
    RegFile();
    // nullopt when the text is not such a file or has a line this reader does not
    // understand (it is then no file to rewrite).
    static std::optional<RegFile> parse(std::string_view text);

    std::string text() const;
    // Every value in file order.
    std::vector<Entry> entries() const;
    // The value an import would leave: the last of that name under the key.
    const RegValue* value(std::string_view key, std::string_view name) const;
    // Rewrites every value of that name under the key in place, keeping the spelling
    // of its name; when there is none, adds it after the last value of the key, and
    // the key at the end of the file. False, changing nothing, when the format cannot
    // hold the names or the text (an empty key, a line break or NUL).
    bool setValue(std::string_view key, std::string_view name, const RegValue& value);

private:
    struct Item {
        enum class Kind { Other, Key, Value };
        Kind kind = Kind::Other;
        std::string raw;  // the lines as written, line ends included
        std::string key;  // Key: its name; Value: the key it belongs to
        std::string name;
        RegValue value;
    };

    void insert(std::size_t at, Item item);

    std::vector<Item> items_;
    std::string eol_ = "\n";
};

}  // namespace stela
