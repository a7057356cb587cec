#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace stela {

// The two text domains. "default": the main window, its notices, status texts
// and error report, and the fixed words of the operation log (written in
// Russian). "cport": the port setup dialog, the serial layer's error texts and
// their " (win error code: %d)" suffix (written in English). "cli": stela-cli's
// own texts (written in English).
inline constexpr char kDefaultDomain[] = "default";
inline constexpr char kCportDomain[] = "cport";
inline constexpr char kCliDomain[] = "cli";
// The C library's own messages (strerror's, gai_strerror's), written in
// English, translated by the system's catalogue of them: libc.mo in the
// system's locale directory (Debian's libc-l10n).
inline constexpr char kLibcDomain[] = "libc";

// Looks up the translation of a user-interface text in a text domain, or gives
// the text unchanged when no catalogue translates it. The catalogues are
// below locale/ beside the executable, or share/locale beside its bin/ once
// installed (named as cataloguePath in i18n/Translator.h names them); the
// languages come from the environment (see catalogueLanguages), read at the
// first lookup. Safe from any thread.
std::string translate(const std::string& text, const std::string& domain);

// A literal looked up here is also extracted into its domain's template
// (scripts/extract-texts), e.g. translateCport("Baud rate").
inline std::string translateDefault(const std::string& text) {
    return translate(text, kDefaultDomain);
}
inline std::string translateCport(const std::string& text) {
    return translate(text, kCportDomain);
}
// A message of the C library in this run's language, read by our own reader,
// so that the locale need not be generated; unchanged where no catalogue has it.
inline std::string translateSystem(const std::string& text) {
    return translate(text, kLibcDomain);
}
// What the system says of its error number `code` (systemErrorText), so translated.
std::string systemErrorMeaning(int code);
// What the C library says of an errno value, so translated: on Windows errno is
// the C runtime's and no system error code, so it is never given to the above.
std::string errnoMeaning(int code);

// Marks a literal for its domain's template where it is stored first (in a
// table, a constant) and looked up later; gives the text itself.
constexpr const char* markDefault(const char* text) {
    return text;
}
constexpr const char* markCport(const char* text) {
    return text;
}

// Reads the environment again and drops the catalogues read so far, for
// tests that change the language.
void reloadTranslations();

// A catalogue a program carries in itself (the bytes of a .mo file): taken for
// its language ("ru", also for "ru_RU") and domain where no file is found.
struct BuiltInCatalogue {
    const char* language;
    const char* domain;
    std::string_view bytes;
};

// Looks texts up in these catalogue languages (best first, as
// catalogueLanguages gives them) instead of the environment's, with these
// built-in catalogues, until the next reloadTranslations: for a program with
// a language rule of its own.
void useCatalogueLanguages(std::vector<std::string> languages,
                           std::vector<BuiltInCatalogue> builtIn = {});

// Whether a catalogue of `domain` for `language` ("ru", "ru_RU") is installed.
bool hasCatalogue(const std::string& language, const std::string& domain);

}  // namespace stela
