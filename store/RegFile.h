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
// Version 5.00" or "REGEDIT4", then [key] sections of "name"=value lines, with
// ";" comments on lines of their own or after a value). It is read as regedit
// writes it: UTF-8 (with or without a byte-order mark) or UTF-16LE with a
// byte-order mark (regedit's default export), lines ending in CR LF, LF or CR.
// Parsing keeps every line as it was written, so text() of an unchanged file
// gives back its bytes, encoding, comments, spacing and line ends included; a
// value that is set is written anew in the canonical form, keeping a comment
// after it. Key and value names compare ignoring (ASCII) case and keep the
// spelling they were created with.
class RegFile {
public:
    // Why a text is no file this reader can rewrite, and on which line.
    struct ParseFailure {
        enum class Problem {
            Encoding,         // a UTF-16 file with an odd byte count or an unpaired surrogate
            Header,           // the first line is neither header
            Nul,              // a NUL byte in a line
            Key,              // a [key] line without its "]" or with no name
            ValueOutsideKey,  // a value before the first [key]
            Value,            // a value line this reader does not understand
            UnfinishedHex,    // a hex list continued past the end of the file
        };
        int line = 0;  // counted from 1
        Problem problem = Problem::Header;
    };

    struct Entry {
        std::string key;
        std::string name;  // "" for the default value (@)
        RegValue value;
    };

    // A new file: the header line alone.
    RegFile();
    // nullopt when the text is not such a file or has a line this reader does not
    // understand (it is then no file to rewrite); `failure` then says why.
    static std::optional<RegFile> parse(std::string_view text, ParseFailure* failure = nullptr);

    // The whole file in the encoding it was read in.
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
        std::string comment;  // Value: a "; ..." after it, kept when it is rewritten
    };

    void insert(std::size_t at, Item item);

    std::vector<Item> items_;
    std::string eol_ = "\n";
    bool utf16_ = false;  // read from UTF-16LE with a byte-order mark; written so
};

}  // namespace stela
