#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace stela::cli {

// A JSON value as the prices files use it. Numbers keep their text as written,
// so "45.60" stays 45.60.
struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object };

    Kind kind = Kind::Null;
    bool boolean = false;
    std::string text;  // a string's content (UTF-8) or a number's text
    std::vector<JsonValue> items;
    std::vector<std::pair<std::string, JsonValue>> members;  // in order, names unique

    static JsonValue of(Kind kind) {
        JsonValue v;
        v.kind = kind;
        return v;
    }
    static JsonValue null() { return {}; }
    static JsonValue from(bool value);
    static JsonValue number(std::string text);
    static JsonValue string(std::string text);
    static JsonValue array() { return of(Kind::Array); }
    static JsonValue object() { return of(Kind::Object); }

    // nullptr when the object has no member of that name.
    const JsonValue* member(std::string_view name) const;
    JsonValue& add(std::string name, JsonValue value);
    friend bool operator==(const JsonValue& a, const JsonValue& b);
};

// Strict RFC 8259 JSON: one value, nothing after it but white space, valid
// UTF-8, no duplicate member names, nesting at most 64 deep. Throws InputError
// naming the line and column.
JsonValue parseJson(std::string_view text);

// With `indent` 0 the compact form. Otherwise an array or object that holds
// another array or object puts each of its values on a line of its own,
// indented by `indent` blanks per level; one that holds only plain values
// stays on one line.
std::string toJson(const JsonValue& value, int indent = 0);

}  // namespace stela::cli
