#pragma once

#include <functional>
#include <string>
#include <vector>

namespace stela {

// Reads one environment variable; empty when it is unset.
using EnvironmentReader = std::function<std::string(const char* name)>;

// The catalogue languages to try, best first, from the environment, as
// gettext chooses them: the locale of messages is named by LC_ALL, else
// LC_MESSAGES, else LANG. Unset, "C" or "POSIX" (with or without a codeset),
// it means the texts as written. Otherwise the colon-separated list in
// LANGUAGE comes first, then the locale itself; a C or POSIX in the list
// ends it there.
// Each locale name gives its variants from the most specific down, without
// the codeset: "ru_RU.UTF-8" gives "ru_RU", "ru"; "sr_RS@latin" gives
// "sr_RS@latin", "sr@latin", "sr_RS", "sr" (the order glibc tries them in).
// A name with a '/' is skipped. The locale need not be generated.
std::vector<std::string> catalogueLanguages(const EnvironmentReader& environment);

// The environment as the translation reads it. Where the user's language is
// the system's setting rather than a variable (Windows), LANG reads as that
// language ("ru_RU") while none of LC_ALL, LC_MESSAGES and LANG is set.
std::string localeEnvironment(const char* name);

// Where the system keeps the C library's own catalogues (/usr/share/locale);
// "" where it has none (Windows).
std::string systemCatalogueDirectory();

// The language part of a catalogue language ("ru" of "ru_RU").
std::string languageOf(const std::string& catalogueLanguage);

}  // namespace stela
