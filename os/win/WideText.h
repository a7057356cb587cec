#pragma once

#include <string>
#include <string_view>

namespace stela {

// UTF-8 as Windows' wide calls take it, and their wide text back as UTF-8;
// what is not valid on the way becomes U+FFFD.
std::wstring widened(std::string_view utf8);
std::string narrowed(std::wstring_view wide);

}  // namespace stela
