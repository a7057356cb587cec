#include "cli/Json.h"

#include <algorithm>
#include <cstdint>

#include "cli/InputError.h"
#include "cli/Utf8.h"

namespace stela::cli {

JsonValue JsonValue::from(bool value) {
    JsonValue v = of(Kind::Bool);
    v.boolean = value;
    return v;
}

JsonValue JsonValue::number(std::string text) {
    JsonValue v = of(Kind::Number);
    v.text = std::move(text);
    return v;
}

JsonValue JsonValue::string(std::string text) {
    JsonValue v = of(Kind::String);
    v.text = std::move(text);
    return v;
}

const JsonValue* JsonValue::member(std::string_view name) const {
    for (const auto& [key, value] : members) {
        if (key == name) {
            return &value;
        }
    }
    return nullptr;
}

JsonValue& JsonValue::add(std::string name, JsonValue value) {
    members.emplace_back(std::move(name), std::move(value));
    return members.back().second;
}

bool operator==(const JsonValue& a, const JsonValue& b) {
    return a.kind == b.kind && a.boolean == b.boolean && a.text == b.text && a.items == b.items &&
           a.members == b.members;
}

namespace {

constexpr int kMaxDepth = 64;

void appendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    JsonValue document() {
        pos_ = firstNonUtf8(text_);
        if (pos_ != std::string_view::npos) {
            fail("not UTF-8");
        }
        pos_ = 0;
        JsonValue value = parseValue(0);
        skipBlanks();
        if (pos_ != text_.size()) {
            fail("unexpected text after the JSON value");
        }
        return value;
    }

private:
    [[noreturn]] void fail(const std::string& what) const {
        const std::size_t at = std::min(pos_, text_.size());
        const auto line = std::count(text_.begin(), text_.begin() + static_cast<long>(at), '\n');
        const std::size_t newline = at == 0 ? std::string_view::npos : text_.rfind('\n', at - 1);
        const std::size_t column = newline == std::string_view::npos ? at : at - newline - 1;
        throw InputError("JSON, line " + std::to_string(line + 1) + ", column " +
                         std::to_string(column + 1) + ": " + what);
    }

    bool atEnd() const { return pos_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[pos_]; }

    void skipBlanks() {
        while (!atEnd() && (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r')) {
            ++pos_;
        }
    }

    void expect(char c) {
        if (peek() != c) {
            fail(std::string("expected '") + c + "'");
        }
        ++pos_;
    }

    void literal(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word) {
            fail("unknown word");
        }
        pos_ += word.size();
    }

    JsonValue parseValue(int depth) {
        if (depth >= kMaxDepth) {
            fail("nested too deeply");
        }
        skipBlanks();
        switch (peek()) {
            case '{':
                return parseObject(depth);
            case '[':
                return parseArray(depth);
            case '"':
                return JsonValue::string(parseString());
            case 't':
                literal("true");
                return JsonValue::from(true);
            case 'f':
                literal("false");
                return JsonValue::from(false);
            case 'n':
                literal("null");
                return JsonValue::null();
            default:
                if (peek() == '-' || isDigit(peek())) {
                    return JsonValue::number(parseNumber());
                }
                fail(atEnd() ? "a value is missing" : "not a JSON value");
        }
    }

    JsonValue parseObject(int depth) {
        JsonValue object = JsonValue::object();
        expect('{');
        skipBlanks();
        if (peek() == '}') {
            ++pos_;
            return object;
        }
        for (;;) {
            skipBlanks();
            if (peek() != '"') {
                fail("expected a member name in double quotes");
            }
            std::string name = parseString();
            if (object.member(name) != nullptr) {
                fail("the member \"" + name + "\" is given twice");
            }
            skipBlanks();
            expect(':');
            object.add(std::move(name), parseValue(depth + 1));
            skipBlanks();
            if (peek() == ',') {
                ++pos_;
                continue;
            }
            expect('}');
            return object;
        }
    }

    JsonValue parseArray(int depth) {
        JsonValue array = JsonValue::array();
        expect('[');
        skipBlanks();
        if (peek() == ']') {
            ++pos_;
            return array;
        }
        for (;;) {
            array.items.push_back(parseValue(depth + 1));
            skipBlanks();
            if (peek() == ',') {
                ++pos_;
                continue;
            }
            expect(']');
            return array;
        }
    }

    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

    void digits() {
        if (!isDigit(peek())) {
            fail("a digit is missing in a number");
        }
        while (isDigit(peek())) {
            ++pos_;
        }
    }

    std::string parseNumber() {
        const std::size_t start = pos_;
        if (peek() == '-') {
            ++pos_;
        }
        if (peek() == '0') {
            ++pos_;
        } else {
            digits();
        }
        if (peek() == '.') {
            ++pos_;
            digits();
        }
        if (peek() == 'e' || peek() == 'E') {
            ++pos_;
            if (peek() == '+' || peek() == '-') {
                ++pos_;
            }
            digits();
        }
        return std::string(text_.substr(start, pos_ - start));
    }

    std::uint32_t hex4() {
        std::uint32_t code = 0;
        for (int i = 0; i < 4; ++i, ++pos_) {
            const char c = peek();
            const int digit = isDigit(c)               ? c - '0'
                              : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                              : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                       : -1;
            if (digit < 0 || atEnd()) {
                fail("\\u needs four hexadecimal digits");
            }
            code = code * 16 + static_cast<std::uint32_t>(digit);
        }
        return code;
    }

    std::uint32_t escapedCodePoint() {
        const std::uint32_t code = hex4();
        if (code >= 0xDC00 && code <= 0xDFFF) {
            fail("a low surrogate without its high one");
        }
        if (code < 0xD800 || code > 0xDBFF) {
            return code;
        }
        if (text_.substr(pos_, 2) != "\\u") {
            fail("a high surrogate without its low one");
        }
        pos_ += 2;
        const std::uint32_t low = hex4();
        if (low < 0xDC00 || low > 0xDFFF) {
            fail("a high surrogate without its low one");
        }
        return 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
    }

    void escape(std::string& out) {
        ++pos_;  // the backslash
        const char c = peek();
        ++pos_;
        switch (c) {
            case '"':
            case '\\':
            case '/':
                out += c;
                return;
            case 'b':
                out += '\b';
                return;
            case 'f':
                out += '\f';
                return;
            case 'n':
                out += '\n';
                return;
            case 'r':
                out += '\r';
                return;
            case 't':
                out += '\t';
                return;
            case 'u':
                appendUtf8(out, escapedCodePoint());
                return;
            default:
                --pos_;
                fail("unknown escape in a string");
        }
    }

    std::string parseString() {
        std::string out;
        ++pos_;  // the opening quote
        for (;;) {
            if (atEnd()) {
                fail("a string is not closed");
            }
            const auto c = static_cast<unsigned char>(peek());
            if (c == '"') {
                ++pos_;
                return out;
            }
            if (c < 0x20) {
                fail("a control character in a string");
            }
            if (c == '\\') {
                escape(out);
            } else {
                out += static_cast<char>(c);  // the whole text is known to be UTF-8
                ++pos_;
            }
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

void writeString(std::string& out, const std::string& text) {
    static const char kHex[] = "0123456789abcdef";
    out += '"';
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (u < 0x20) {
                    out += "\\u00";
                    out += kHex[u >> 4];
                    out += kHex[u & 0x0F];
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

bool isContainer(const JsonValue& v) {
    return v.kind == JsonValue::Kind::Array || v.kind == JsonValue::Kind::Object;
}

bool holdsContainers(const JsonValue& v) {
    return std::any_of(v.items.begin(), v.items.end(), isContainer) ||
           std::any_of(v.members.begin(), v.members.end(),
                       [](const auto& m) { return isContainer(m.second); });
}

void write(std::string& out, const JsonValue& value, int indent, int depth) {
    using Kind = JsonValue::Kind;
    switch (value.kind) {
        case Kind::Null:
            out += "null";
            return;
        case Kind::Bool:
            out += value.boolean ? "true" : "false";
            return;
        case Kind::Number:
            out += value.text;
            return;
        case Kind::String:
            writeString(out, value.text);
            return;
        case Kind::Array:
        case Kind::Object:
            break;
    }
    const bool object = value.kind == Kind::Object;
    const bool multiline = indent > 0 && holdsContainers(value);
    const std::string inner = multiline ? "\n" + std::string((depth + 1) * indent, ' ') : "";
    const std::string separator = indent > 0 && !multiline ? ", " : ",";
    const std::size_t count = object ? value.members.size() : value.items.size();
    out += object ? '{' : '[';
    for (std::size_t i = 0; i < count; ++i) {
        out += i == 0 ? inner : separator + inner;
        if (object) {
            writeString(out, value.members[i].first);
            out += indent > 0 ? ": " : ":";
            write(out, value.members[i].second, indent, depth + 1);
        } else {
            write(out, value.items[i], indent, depth + 1);
        }
    }
    if (multiline && count > 0) {
        out += "\n" + std::string(depth * indent, ' ');
    }
    out += object ? '}' : ']';
}

}  // namespace

JsonValue parseJson(std::string_view text) {
    return Parser(text).document();
}

std::string toJson(const JsonValue& value, int indent) {
    std::string out;
    write(out, value, indent, 0);
    return out;
}

}  // namespace stela::cli
