#include "cli/Charset.h"

#include <cerrno>
#include <clocale>
#include <cstring>
#include <sstream>

#include "cli/SystemCharset.h"
#include "cli/Utf8.h"

namespace stela::cli {

namespace {

bool isUtf8Name(std::string name) {
    for (char& c : name) {
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    return name == "UTF-8" || name == "UTF8";
}

// Converts all of `in`; false when a byte sequence is not valid in the source
// (or ends cut short), with `stop` at its first byte. Characters the target
// lacks become "?" (substitute = true).
bool convert(iconv_t converter, std::string_view in, std::string& out, bool substitute,
             std::size_t* stop = nullptr) {
    char* from = const_cast<char*>(in.data());
    std::size_t left = in.size();
    char buffer[1024];
    while (left > 0) {
        char* to = buffer;
        std::size_t room = sizeof buffer;
        const std::size_t done = iconv(converter, &from, &left, &to, &room);
        out.append(buffer, static_cast<std::size_t>(to - buffer));
        if (done != static_cast<std::size_t>(-1) || errno == E2BIG) {
            continue;
        }
        if (!substitute) {
            if (stop != nullptr) {
                *stop = static_cast<std::size_t>(from - in.data());
            }
            return false;
        }
        // A character the target has no place for: one "?" for the whole character.
        out += '?';
        std::size_t skip = 1;
        while (skip < left && (static_cast<unsigned char>(from[skip]) & 0xC0) == 0x80) {
            ++skip;
        }
        from += skip;
        left -= skip;
    }
    char* to = buffer;
    std::size_t room = sizeof buffer;
    iconv(converter, nullptr, nullptr, &to, &room);  // the shift state back to its start
    out.append(buffer, static_cast<std::size_t>(to - buffer));
    return true;
}

}  // namespace

std::string localeCharset(const EnvironmentReader& environment) {
    std::string charset = systemCharset(environment);
    if (charset == kUnnamedCharset) {
        // C, POSIX, or a locale that is not generated here: its name tells.
        std::string name;
        for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
            name = environment(variable);
            if (!name.empty()) {
                break;
            }
        }
        const std::size_t dot = name.find('.');
        charset = dot == std::string::npos ? kUtf8 : name.substr(dot + 1, name.find('@') - dot - 1);
    }
    return isUtf8Name(charset) || charset.empty() ? kUtf8 : charset;
}

bool knownCharset(const std::string& charset) {
    return IconvHandle(iconv_open(kUtf8, charset.c_str())).valid();
}

std::optional<std::string> toUtf8(std::string_view text, const std::string& charset,
                                  std::size_t* invalidAt) {
    const IconvHandle converter(iconv_open(kUtf8, charset.c_str()));
    if (!converter.valid()) {
        if (invalidAt != nullptr) {
            *invalidAt = 0;
        }
        return std::nullopt;
    }
    std::string out;
    if (!convert(converter.get(), text, out, false, invalidAt)) {
        return std::nullopt;
    }
    return out;
}

CharsetOutput::CharsetOutput(std::ostream& out, const std::string& charset,
                             std::optional<std::string> controls)
    : out_(out), controls_(std::move(controls)) {
    if (!isUtf8Name(charset)) {
        converter_.reset(iconv_open(charset.c_str(), kUtf8));
    }
}

CharsetOutput::~CharsetOutput() {
    pass(true);
    out_.flush();
}

CharsetOutput::int_type CharsetOutput::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) {
        return traits_type::not_eof(c);
    }
    pending_ += traits_type::to_char_type(c);
    if (c == '\n') {
        pass(false);
    }
    return c;
}

std::streamsize CharsetOutput::xsputn(const char* text, std::streamsize count) {
    pending_.append(text, static_cast<std::size_t>(count));
    if (std::memchr(text, '\n', static_cast<std::size_t>(count)) != nullptr) {
        pass(false);
    }
    return count;
}

int CharsetOutput::sync() {
    pass(false);
    out_.flush();
    return out_ ? 0 : -1;
}

void CharsetOutput::pass(bool all) {
    const std::size_t keep = all ? 0 : incompleteTail(pending_);
    const std::string_view ready(pending_.data(), pending_.size() - keep);
    const std::string text = controls_ ? escapedText(ready, *controls_) : escapedBadBytes(ready);
    if (!converter_.valid()) {
        out_ << text;
    } else {
        std::string converted;
        convert(converter_.get(), text, converted, true);
        out_ << converted;
    }
    pending_.erase(0, ready.size());
}

std::string inCharset(const std::string& text, const std::string& charset) {
    std::ostringstream converted;
    {
        CharsetOutput out(converted, charset);
        std::ostream(&out) << text;
    }
    return converted.str();
}

}  // namespace stela::cli
