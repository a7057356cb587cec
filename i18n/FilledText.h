#pragma once

#include <initializer_list>
#include <string>

namespace stela {

// `translated` with %1, %2 ... replaced by the values, which are never looked
// up themselves (device paths, file names, group and program names, what the
// user typed). One pass: a value that holds "%2" (a program may name itself
// so) stays as it is; a mark with no value stays as it is. A control
// character in a value is shown as \xHH: a name from outside (a port name
// holding a line end) can neither break the text's line nor make up another.
// Every text with placeholders, of the window, the log and stela-cli alike,
// is filled here.
std::string fillIn(const std::string& translated, std::initializer_list<std::string> values);

// The translated text (a literal marked for the default domain) filled in.
std::string filled(const char* text, std::initializer_list<std::string> values);

}  // namespace stela
