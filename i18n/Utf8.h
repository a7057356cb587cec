#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace stela {

// Where `text` stops being well-formed UTF-8 (an overlong form, a surrogate,
// a code above U+10FFFF, a broken sequence), or npos when it all is.
std::size_t firstNonUtf8(std::string_view text);

// Text from outside (the command line, a file, a device name) as stela-cli
// and the journal show it: every byte that is not part of well-formed UTF-8, and every
// control character (C0, DEL, C1) but those in `keep`, as \xHH, so that
// nothing shown is raw or acts on the terminal.
std::string escapedText(std::string_view text, std::string_view keep = {});

// Only the bytes that are not part of well-formed UTF-8 as \xHH: output whose
// format escapes what it must (JSON on stdout).
std::string escapedBadBytes(std::string_view text);

// The length of an incomplete UTF-8 sequence that ends `text` (0 to 3): the
// bytes to hold back until the rest of the character comes.
std::size_t incompleteTail(std::string_view text);

}  // namespace stela
