#pragma once

#include <string>

namespace stela {

// What the system says of one of its error numbers: errno's text on Linux (in
// English, as the C library writes it: i18n's systemErrorMeaning translates
// it), the system's message for a Windows error code on Windows (which is what
// the registry and the devices report there).
std::string systemErrorText(int code);

// The same in `language` ("ru", "en_GB") where the system has its messages in
// it, else in its own language. On Linux the C library's catalogue decides
// (LC_MESSAGES); on Windows the system's message table.
std::string systemErrorText(int code, const std::string& language);

}  // namespace stela
