#pragma once

#include <initializer_list>
#include <string>

namespace stela {

// The translated text (a literal marked for the template) with %1, %2 ...
// replaced by the values, which are never looked up themselves (device paths,
// file names, group and program names). One pass: a value that holds "%2" (a
// program may name itself so) stays as it is.
std::string filled(const char* text, std::initializer_list<std::string> values);

// `translated` with %1, %2 ... replaced by the values as above. A control
// character in a value is shown as \xHH: a name from outside (a port name
// holding a line end) can neither break the text's line nor make up another.
std::string fillIn(const std::string& translated, std::initializer_list<std::string> values);

}  // namespace stela
