#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace stela {

// UTF-16LE, the encoding regedit exports in, to UTF-8 and back. Nothing when
// the input is not valid (an odd byte count, an unpaired surrogate, a byte
// sequence that is no UTF-8 character).
std::optional<std::string> utf16leToUtf8(std::string_view bytes);
std::optional<std::string> utf8ToUtf16le(std::string_view text);

}  // namespace stela
