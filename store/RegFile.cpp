#include "store/RegFile.h"

#include <algorithm>
#include <cstdio>

#include "store/IgnoringCase.h"
#include "store/Utf16.h"

namespace stela {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kRegedit4Header = "REGEDIT4";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";

using Problem = RegFile::ParseFailure::Problem;

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isSpace(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isSpace(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

bool startsWithIgnoringCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && equalIgnoringCase(s.substr(0, prefix.size()), prefix);
}

// Text the format can carry on one line: a CR alone ends a line too.
bool fitsOnALine(std::string_view s) {
    return s.find_first_of(std::string_view("\n\r\0", 3)) == std::string_view::npos;
}

// The physical lines of a text: `content` without its line end (CR LF, LF or
// a lone CR), `raw` with it; numbered from 1.
class Lines {
public:
    explicit Lines(std::string_view text) : text_(text) {}

    bool next(std::string_view& content, std::string_view& raw) {
        if (pos_ >= text_.size()) {
            return false;
        }
        const std::size_t lineEnd = std::min(text_.find_first_of("\r\n", pos_), text_.size());
        std::size_t end = lineEnd;
        if (end < text_.size()) {
            end += text_.compare(end, 2, "\r\n") == 0 ? 2 : 1;
        }
        content = text_.substr(pos_, lineEnd - pos_);
        raw = text_.substr(pos_, end - pos_);
        pos_ = end;
        ++number_;
        return true;
    }

    int number() const { return number_; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    int number_ = 0;
};

bool hasNul(std::string_view s) {
    return s.find('\0') != std::string_view::npos;
}

// Splits "data ; comment" at the comment; the data is trimmed.
std::string_view cutComment(std::string_view s, std::string& comment) {
    const std::size_t semicolon = s.find(';');
    if (semicolon != std::string_view::npos) {
        comment = std::string(s.substr(semicolon));
        s = s.substr(0, semicolon);
    }
    return trimmed(s);
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = lowerAscii(c);
    return (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
}

// 1 to maxDigits hex digits and nothing else.
std::optional<std::uint32_t> hexNumber(std::string_view s, std::size_t maxDigits) {
    if (s.empty() || s.size() > maxDigits) {
        return std::nullopt;
    }
    std::uint32_t n = 0;
    for (char c : s) {
        const int d = hexDigit(c);
        if (d < 0) {
            return std::nullopt;
        }
        n = n << 4 | std::uint32_t(d);
    }
    return n;
}

// A quoted name or string at the start of s, with \\ and \" as its only escapes;
// s is left after the closing quote.
bool readQuoted(std::string_view& s, std::string& out) {
    if (s.empty() || s[0] != '"') {
        return false;
    }
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (s[i] == '"') {
            s.remove_prefix(i + 1);
            return true;
        }
        if (s[i] == '\\') {
            if (i + 1 == s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) {
                return false;
            }
            ++i;
        }
        out += s[i];
    }
    return false;
}

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
        }
        out += c;
    }
    return out + '"';
}

// "01,ff, 2a" -> bytes; an empty list is no bytes.
bool readHexList(std::string_view list, std::vector<std::uint8_t>& bytes) {
    list = trimmed(list);
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        const auto byte = hexNumber(trimmed(list.substr(0, comma)), 2);
        if (!byte) {
            return false;
        }
        bytes.push_back(std::uint8_t(*byte));
        if (comma == std::string_view::npos) {
            break;
        }
        list.remove_prefix(comma + 1);
        if (trimmed(list).empty()) {
            return false;  // a comma with no byte after it
        }
    }
    return true;
}

std::string formatData(const RegValue& value) {
    char buffer[16];
    switch (value.type) {
        case RegValue::Type::String:
            return quoted(value.text);
        case RegValue::Type::Dword:
            std::snprintf(buffer, sizeof buffer, "dword:%08x", unsigned(value.number));
            return buffer;
        case RegValue::Type::Binary: {
            std::string out = "hex:";
            if (value.rawType != 3) {
                std::snprintf(buffer, sizeof buffer, "hex(%x):", unsigned(value.rawType));
                out = buffer;
            }
            for (std::size_t i = 0; i < value.bytes.size(); ++i) {
                std::snprintf(buffer, sizeof buffer, i == 0 ? "%02x" : ",%02x", value.bytes[i]);
                out += buffer;
            }
            return out;
        }
        case RegValue::Type::Delete:
            break;
    }
    return "-";
}

bool isBlankLine(std::string_view raw) {
    return raw.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

}  // namespace

RegValue RegValue::string(std::string text) {
    RegValue v;
    v.text = std::move(text);
    return v;
}

RegValue RegValue::dword(std::uint32_t number) {
    RegValue v;
    v.type = Type::Dword;
    v.number = number;
    return v;
}

bool operator==(const RegValue& a, const RegValue& b) {
    if (a.type != b.type) {
        return false;
    }
    switch (a.type) {
        case RegValue::Type::String:
            return a.text == b.text;
        case RegValue::Type::Dword:
            return a.number == b.number;
        case RegValue::Type::Binary:
            return a.rawType == b.rawType && a.bytes == b.bytes;
        case RegValue::Type::Delete:
            break;
    }
    return true;
}

RegFile::RegFile() {
    items_.push_back(Item{Item::Kind::Other, std::string(kHeader) + eol_, {}, {}, {}, {}});
}

namespace {

// `"name"=data` or `@=data`, spaces allowed around the parts and a comment
// after the data; a hex list may go on over further lines, each but the last
// ending in a backslash. Returns what is wrong, or nothing.
std::optional<Problem> readValueLine(std::string_view s, Lines& lines, std::string& raw,
                                     std::string& name, RegValue& value, std::string& comment) {
    if (!s.empty() && s[0] == '@') {
        s.remove_prefix(1);
    } else if (!readQuoted(s, name)) {
        return Problem::Value;
    }
    s = trimmed(s);
    if (s.empty() || s[0] != '=') {
        return Problem::Value;
    }
    s = trimmed(s.substr(1));
    if (!s.empty() && s[0] == '"') {
        if (!readQuoted(s, value.text)) {
            return Problem::Value;
        }
        s = trimmed(s);
        if (!s.empty() && s[0] != ';') {
            return Problem::Value;
        }
        comment = std::string(s);
        return std::nullopt;
    }
    s = cutComment(s, comment);
    if (startsWithIgnoringCase(s, "dword:")) {
        const auto n = hexNumber(s.substr(6), 8);
        value = RegValue::dword(n.value_or(0));
        return n ? std::nullopt : std::optional(Problem::Value);
    }
    if (s == "-") {
        value.type = RegValue::Type::Delete;
        return std::nullopt;
    }
    if (!startsWithIgnoringCase(s, "hex")) {
        return Problem::Value;
    }
    s.remove_prefix(3);
    value.type = RegValue::Type::Binary;
    if (!s.empty() && s[0] == '(') {
        const std::size_t close = s.find(')');
        const auto n =
            close == std::string_view::npos ? std::nullopt : hexNumber(s.substr(1, close - 1), 8);
        if (!n) {
            return Problem::Value;
        }
        value.rawType = *n;
        s.remove_prefix(close + 1);
    }
    if (s.empty() || s[0] != ':') {
        return Problem::Value;
    }
    std::string list(s.substr(1));
    while (!list.empty() && list.back() == '\\') {
        list.pop_back();
        std::string_view content, more;
        if (!lines.next(content, more)) {
            return Problem::UnfinishedHex;
        }
        if (hasNul(content)) {
            return Problem::Nul;
        }
        raw += more;
        comment.clear();
        list += cutComment(content, comment);
    }
    return readHexList(list, value.bytes) ? std::nullopt : std::optional(Problem::Value);
}

// A key line's name: "[name]", maybe with a comment after it; nothing when
// the line is no key line.
std::optional<std::string_view> keyName(std::string_view s) {
    for (std::size_t close = s.find(']'); close != std::string_view::npos;
         close = s.find(']', close + 1)) {
        const std::string_view rest = trimmed(s.substr(close + 1));
        if (rest.empty() || rest[0] == ';') {
            if (close < 2) {
                return std::nullopt;
            }
            return s.substr(1, close - 1);
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<RegFile> RegFile::parse(std::string_view bytes, ParseFailure* failure) {
    const auto fail = [failure](int line, Problem problem) -> std::optional<RegFile> {
        if (failure != nullptr) {
            *failure = ParseFailure{line, problem};
        }
        return std::nullopt;
    };
    std::string decoded;
    std::string_view text = bytes;
    const bool utf16 = bytes.substr(0, kUtf16LeBom.size()) == kUtf16LeBom;
    if (utf16) {
        std::optional<std::string> utf8 = utf16leToUtf8(bytes.substr(kUtf16LeBom.size()));
        if (!utf8) {
            return fail(0, Problem::Encoding);
        }
        decoded = std::move(*utf8);
        text = decoded;
    }
    Lines lines(text);
    std::string_view content, raw;
    if (!lines.next(content, raw)) {
        return fail(1, Problem::Header);
    }
    std::string_view header = content;
    if (header.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        header.remove_prefix(kUtf8Bom.size());
    }
    header = trimmed(header);
    if ((header != kHeader && header != kRegedit4Header) || hasNul(content)) {
        return fail(1, Problem::Header);
    }
    RegFile file;
    file.utf16_ = utf16;
    file.eol_ = std::string(raw.substr(content.size()));
    if (file.eol_.empty()) {
        file.eol_ = "\n";
    }
    file.items_.front().raw = raw;
    std::string key;  // of the section being read; "" before the first
    while (lines.next(content, raw)) {
        const int number = lines.number();
        if (hasNul(content)) {
            return fail(number, Problem::Nul);
        }
        Item item{Item::Kind::Other, std::string(raw), key, {}, {}, {}};
        const std::string_view s = trimmed(content);
        if (!s.empty() && s[0] == '[') {
            const auto name = keyName(s);
            if (!name) {
                return fail(number, Problem::Key);
            }
            item.kind = Item::Kind::Key;
            item.key = key = *name;
        } else if (!s.empty() && s[0] != ';') {
            if (key.empty()) {
                return fail(number, Problem::ValueOutsideKey);
            }
            if (const auto problem =
                    readValueLine(s, lines, item.raw, item.name, item.value, item.comment)) {
                return fail(lines.number(), *problem);
            }
            item.kind = Item::Kind::Value;
        }
        file.items_.push_back(std::move(item));
    }
    return file;
}

std::string RegFile::text() const {
    std::string out;
    for (const Item& item : items_) {
        out += item.raw;
    }
    if (utf16_) {
        // setValue lets in only texts that convert.
        return std::string(kUtf16LeBom) + utf8ToUtf16le(out).value_or(std::string());
    }
    return out;
}

std::vector<RegFile::Entry> RegFile::entries() const {
    std::vector<Entry> out;
    for (const Item& item : items_) {
        if (item.kind == Item::Kind::Value) {
            out.push_back(Entry{item.key, item.name, item.value});
        }
    }
    return out;
}

const RegValue* RegFile::value(std::string_view key, std::string_view name) const {
    const RegValue* found = nullptr;
    for (const Item& item : items_) {
        if (item.kind == Item::Kind::Value && equalIgnoringCase(item.key, key) &&
            equalIgnoringCase(item.name, name)) {
            found = &item.value;
        }
    }
    return found;
}

bool RegFile::setValue(std::string_view key, std::string_view name, const RegValue& value) {
    // A view of the value's own text: a plain `? value.text : ""` would view a temporary copy.
    const std::string_view text =
        value.type == RegValue::Type::String ? std::string_view(value.text) : std::string_view();
    if (key.empty() || !fitsOnALine(key) || !fitsOnALine(name) || !fitsOnALine(text)) {
        return false;
    }
    if (utf16_ && (!utf8ToUtf16le(key) || !utf8ToUtf16le(name) || !utf8ToUtf16le(text))) {
        return false;
    }
    const std::string data = "=" + formatData(value);
    const auto line = [&](std::string_view spelling, const std::string& comment = {}) {
        return (spelling.empty() ? "@" : quoted(spelling)) + data +
               (comment.empty() ? "" : " " + comment) + eol_;
    };
    bool rewritten = false;
    std::size_t endOfKey = 0;  // where a new value of the key goes; 0: no such key
    for (std::size_t i = 0; i < items_.size(); ++i) {
        Item& item = items_[i];
        if (item.kind == Item::Kind::Other || !equalIgnoringCase(item.key, key)) {
            continue;
        }
        endOfKey = i + 1;
        if (item.kind == Item::Kind::Value && equalIgnoringCase(item.name, name)) {
            item.raw = line(item.name, item.comment);
            item.value = value;
            rewritten = true;
        }
    }
    if (rewritten) {
        return true;
    }
    if (endOfKey != 0) {
        insert(endOfKey, Item{Item::Kind::Value,
                              line(name),
                              items_[endOfKey - 1].key,
                              std::string(name),
                              value,
                              {}});
        return true;
    }
    const Item blank{Item::Kind::Other, eol_, {}, {}, {}, {}};
    if (!isBlankLine(items_.back().raw)) {
        insert(items_.size(), blank);
    }
    const std::string keyName(key);
    insert(items_.size(), Item{Item::Kind::Key, "[" + keyName + "]" + eol_, keyName, {}, {}, {}});
    insert(items_.size(),
           Item{Item::Kind::Value, line(name), keyName, std::string(name), value, {}});
    insert(items_.size(), blank);
    return true;
}

void RegFile::insert(std::size_t at, Item item) {
    const char last = at > 0 ? items_[at - 1].raw.back() : '\n';
    if (last != '\n' && last != '\r') {
        items_[at - 1].raw += eol_;  // the file ended without a line end
    }
    items_.insert(items_.begin() + std::ptrdiff_t(at), std::move(item));
}

}  // namespace stela
