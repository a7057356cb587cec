#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "i18n/MoCatalogue.h"
#include "i18n/Translate.h"

namespace stela {

// The catalogue of a text domain in a language below a catalogue root:
// <root>/<language>/LC_MESSAGES/<name>.mo, the name "stela" for "default" and
// "stela-<domain>" for the others, so that among the system's catalogues in
// /usr/share/locale they say whose they are. locale/CMakeLists.txt names them alike.
// The C library's domain, "libc", is libc.mo.
std::string cataloguePath(const std::string& root, const std::string& language,
                          const std::string& domain);

// Looks texts up in the catalogues of cataloguePath,
// trying the languages in order, and for each the roots in order. A domain's catalogue is read
// once, on its first lookup; the first language with a valid catalogue wins. The search stops at
// the language a domain's texts are written in (Russian for "default", English for "cport",
// "cli" and "libc"): those texts need no catalogue, and a later language must not replace them.
// The C library's catalogues are looked for in `systemRoot` alone. A language without a file
// of a domain takes the built-in catalogue of both, if there is one. Safe to call from any thread.
class Translator {
public:
    Translator(std::vector<std::string> languages, std::vector<std::string> roots,
               std::string systemRoot = {}, std::vector<BuiltInCatalogue> builtIn = {});

    // The translation, or `text` unchanged when no catalogue has one.
    std::string translate(const std::string& text, const std::string& domain);

private:
    const MoCatalogue* catalogue(const std::string& domain);  // with mutex_ held

    const std::vector<std::string> languages_;
    const std::vector<std::string> roots_;
    const std::string systemRoot_;
    const std::vector<BuiltInCatalogue> builtIn_;
    std::mutex mutex_;
    std::map<std::string, std::optional<MoCatalogue>> domains_;
};

}  // namespace stela
