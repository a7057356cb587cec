#include "cli/Json.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <nlohmann/json.hpp>

#include "cli/CliText.h"
#include "cli/InputError.h"
#include "cli/Utf8.h"

namespace stela::cli {

const JsonValue* JsonValue::member(std::string_view name) const {
    for (const auto& [key, value] : members) {
        if (key == name) {
            return &value;
        }
    }
    return nullptr;
}

bool operator==(const JsonValue& a, const JsonValue& b) {
    return a.kind == b.kind && a.boolean == b.boolean && a.text == b.text && a.items == b.items &&
           a.members == b.members;
}

namespace {

constexpr std::size_t kMaxDepth = 64;

// The parser's input, counting what it has taken: where a value that the
// handler refuses (a name given twice, nesting too deep) ends.
class CountingIterator {
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    CountingIterator(const char* at, std::size_t* taken) : at_(at), taken_(taken) {}
    reference operator*() const { return *at_; }
    CountingIterator& operator++() {
        ++at_;
        ++*taken_;
        return *this;
    }
    bool operator==(const CountingIterator& other) const { return at_ == other.at_; }
    bool operator!=(const CountingIterator& other) const { return at_ != other.at_; }

private:
    const char* at_;
    std::size_t* taken_;
};

using Sax = nlohmann::json_sax<nlohmann::json>;

// Builds the JsonValue tree from the parser's events, refusing what RFC 8259
// allows but a prices file must not have.
class TreeBuilder final : public Sax {
public:
    JsonValue root;
    std::string error;        // why the parse stopped
    std::size_t errorAt = 0;  // the bytes taken before it stopped
    bool placed = false;      // errorAt is the parser's own

    bool null() override { return add(JsonValue{}); }
    bool boolean(bool value) override {
        JsonValue v;
        v.kind = JsonValue::Kind::Bool;
        v.boolean = value;
        return add(std::move(v));
    }
    bool number_integer(number_integer_t value) override { return number(std::to_string(value)); }
    bool number_unsigned(number_unsigned_t value) override { return number(std::to_string(value)); }
    bool number_float(number_float_t, const string_t& text) override { return number(text); }
    bool string(string_t& value) override {
        JsonValue v;
        v.kind = JsonValue::Kind::String;
        v.text = std::move(value);
        return add(std::move(v));
    }
    bool binary(binary_t&) override { return refuse(translateCli("binary data")); }
    bool start_object(std::size_t) override { return open(JsonValue::Kind::Object); }
    bool key(string_t& name) override {
        if (open_.back()->member(name) != nullptr) {
            return refuse(translateCli("the member \"%1\" is given twice", {escapedText(name)}));
        }
        key_ = std::move(name);
        return true;
    }
    bool end_object() override { return close(); }
    bool start_array(std::size_t) override { return open(JsonValue::Kind::Array); }
    bool end_array() override { return close(); }
    bool parse_error(std::size_t position, const std::string&,
                     const nlohmann::detail::exception& exception) override {
        // "[json.exception.parse_error.101] parse error at line 1, column 2: WHAT"
        std::string what = exception.what();
        const std::size_t column = what.find(", column ");
        const std::size_t colon = what.find(": ", column == std::string::npos ? 0 : column);
        if (colon != std::string::npos) {
            what.erase(0, colon + 2);
        }
        error = escapedText(what);
        errorAt = position;
        placed = true;
        return false;
    }

private:
    bool number(std::string text) {
        JsonValue v;
        v.kind = JsonValue::Kind::Number;
        v.text = std::move(text);
        return add(std::move(v));
    }
    bool refuse(std::string why) {
        error = std::move(why);
        return false;
    }
    // Puts `value` where the parser is: the root, an array's next item or an
    // object's member named by the last key.
    JsonValue* put(JsonValue value) {
        if (open_.empty()) {
            root = std::move(value);
            return &root;
        }
        JsonValue& parent = *open_.back();
        if (parent.kind == JsonValue::Kind::Array) {
            parent.items.push_back(std::move(value));
            return &parent.items.back();
        }
        parent.members.emplace_back(std::move(key_), std::move(value));
        return &parent.members.back().second;
    }
    bool add(JsonValue value) {
        put(std::move(value));
        return true;
    }
    bool open(JsonValue::Kind kind) {
        if (open_.size() >= kMaxDepth) {
            return refuse(translateCli("nested more than 64 deep"));
        }
        JsonValue container;
        container.kind = kind;
        open_.push_back(put(std::move(container)));
        return true;
    }
    bool close() {
        open_.pop_back();
        return true;
    }

    // The containers being filled, outermost first. Members and items are only
    // ever added to the innermost, so the pointers to the others stay valid.
    std::vector<JsonValue*> open_;
    std::string key_;
};

}  // namespace

JsonValue parseJson(std::string_view text) {
    TreeBuilder builder;
    std::size_t taken = 0;
    const CountingIterator first(text.data(), &taken), last(text.data() + text.size(), &taken);
    if (nlohmann::json::sax_parse(first, last, &builder)) {
        return std::move(builder.root);
    }
    const std::size_t at = std::min(builder.placed ? builder.errorAt : taken, text.size());
    const std::string_view before = text.substr(0, at);
    const std::size_t lineStart = before.rfind('\n') + 1;  // npos + 1 is 0
    const auto line = 1 + std::count(before.begin(), before.end(), '\n');
    throw InputError(
        translateCli("JSON, line %1, column %2: %3",
                     {std::to_string(line), std::to_string(at - lineStart), builder.error}));
}

}  // namespace stela::cli
