#pragma once

#include <initializer_list>
#include <string>

#include "i18n/Translate.h"

namespace stela::cli {

// stela-cli's own texts are written in English and looked up in the "cli"
// domain; scripts/extract-texts takes the literals passed to these.
inline std::string translateCli(const std::string& text) {
    return translate(text, kCliDomain);
}
// The translation with %1, %2 ... replaced by the values, which are never
// looked up themselves (port names, paths, what the user typed), their
// control characters shown as \xHH (see i18n/FilledText.h).
std::string translateCli(const std::string& text, std::initializer_list<std::string> values);

// Marks a literal for the template where it is stored and looked up later.
constexpr const char* markCli(const char* text) {
    return text;
}

}  // namespace stela::cli
