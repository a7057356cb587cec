#pragma once

#include <string>
#include <string_view>

namespace stela {

// Bytes from the line (Windows-1251) as UTF-8 text for the operation log.
// Printable ASCII stays as it is (0x20 stays a blank). Control bytes become the
// visible symbols of the U+2400 block (0x00 -> U+2400 ... 0x1F -> U+241F,
// 0x7F -> U+2421), so no byte can hide or break a log line. 0x80-0xFF follow the
// Windows-1251 table; 0x98, which the table leaves unassigned, shows as U+FFFD.
std::string logText(std::string_view bytes);

}  // namespace stela
