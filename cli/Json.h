#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace stela::cli {

// A JSON value as a prices file holds it. Numbers keep their text as written,
// so "45.60" stays 45.60.
struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object };

    Kind kind = Kind::Null;
    bool boolean = false;
    std::string text;  // a string's content (UTF-8) or a number's text
    std::vector<JsonValue> items;
    std::vector<std::pair<std::string, JsonValue>> members;  // in order, names unique

    // nullptr when the object has no member of that name.
    const JsonValue* member(std::string_view name) const;
    friend bool operator==(const JsonValue& a, const JsonValue& b);
};

// Strict RFC 8259 JSON through nlohmann-json's SAX parser: one value, nothing
// after it but white space, valid UTF-8, no duplicate member names, nesting at
// most 64 deep; a UTF-8 byte-order mark ahead of it is skipped. Throws
// InputError naming the line and column.
JsonValue parseJson(std::string_view text);

}  // namespace stela::cli
