#pragma once

#include <optional>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

#include "i18n/Languages.h"
#include "os/IconvHandle.h"

namespace stela::cli {

inline constexpr char kUtf8[] = "UTF-8";

// The character set of the terminal, from the locale the C library took for
// LC_CTYPE, or from the locale's name where this machine has not generated it
// ("ru_RU.KOI8-R"). "UTF-8" under C and POSIX, whose ASCII is a part of it.
std::string localeCharset(const EnvironmentReader& environment);

// Whether text can be taken from `charset` ("CP1251", "KOI8-R", any name
// iconv knows).
bool knownCharset(const std::string& charset);

// `text` in `charset` as UTF-8; nothing when it is not valid there or the
// charset is unknown. Where it is not valid, `invalidAt` (when given) gets the
// offset of the first byte that is not (0 for an unknown charset).
std::optional<std::string> toUtf8(std::string_view text, const std::string& charset,
                                  std::size_t* invalidAt = nullptr);

// UTF-8 text as a CharsetOutput (below) passes it on in `charset`.
std::string inCharset(const std::string& text, const std::string& charset);

// Passes UTF-8 text on to `out` in `charset`, a line (or a flush) at a time:
// bytes that are not well-formed UTF-8 go as \xHH, and so do control
// characters other than `controls` where these are given (messages, which no
// text may make act on the terminal); characters the charset lacks go as "?".
// A character split between two writes is held back until it is whole.
// Flushes what it holds when destroyed.
class CharsetOutput final : public std::streambuf {
public:
    CharsetOutput(std::ostream& out, const std::string& charset,
                  std::optional<std::string> controls = std::nullopt);
    ~CharsetOutput() override;
    CharsetOutput(const CharsetOutput&) = delete;
    CharsetOutput& operator=(const CharsetOutput&) = delete;

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    void pass(bool all);

    std::ostream& out_;
    IconvHandle converter_;  // none: UTF-8 stays UTF-8
    std::optional<std::string> controls_;
    std::string pending_;
};

}  // namespace stela::cli
