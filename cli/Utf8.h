#pragma once

#include <cstddef>
#include <string_view>

namespace stela::cli {

// Where `text` stops being well-formed UTF-8 (an overlong form, a surrogate,
// a code above U+10FFFF, a broken sequence), or npos when it all is.
std::size_t firstNonUtf8(std::string_view text);

}  // namespace stela::cli
