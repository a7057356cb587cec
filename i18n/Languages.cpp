#include "i18n/Languages.h"

#include <algorithm>

namespace stela {
namespace {

std::vector<std::string> split(const std::string& list, char separator) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    while (start <= list.size()) {
        const auto end = std::min(list.find(separator, start), list.size());
        parts.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool isUntranslated(const std::string& locale) {
    const std::string name = locale.substr(0, locale.find_first_of(".@"));
    return name == "C" || name == "POSIX";
}

// language[_territory][.codeset][@modifier] -> its variants, most specific first.
void addVariants(const std::string& locale, std::vector<std::string>& out) {
    const auto at = locale.find('@');
    const std::string modifier = at == std::string::npos ? "" : locale.substr(at);
    const std::string name = locale.substr(0, std::min(locale.find('.'), at));
    const std::string language = languageOf(name);
    if (language.empty() || locale.find('/') != std::string::npos) {
        return;  // no language, or a path rather than a name
    }
    for (const std::string& variant : {name + modifier, language + modifier, name, language}) {
        if (std::find(out.begin(), out.end(), variant) == out.end()) {
            out.push_back(variant);
        }
    }
}

}  // namespace

std::string languageOf(const std::string& catalogueLanguage) {
    return catalogueLanguage.substr(0, catalogueLanguage.find_first_of("_.@"));
}

std::vector<std::string> catalogueLanguages(const EnvironmentReader& environment) {
    // The locale of messages, as setlocale() would take it: the first of these set.
    std::string locale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        locale = environment(name);
        if (!locale.empty()) {
            break;
        }
    }
    if (locale.empty() || isUntranslated(locale)) {
        return {};
    }
    std::vector<std::string> languages;
    for (const std::string& entry : split(environment("LANGUAGE"), ':')) {
        if (isUntranslated(entry)) {
            return languages;  // the texts as written from here on
        }
        if (!entry.empty()) {
            addVariants(entry, languages);
        }
    }
    addVariants(locale, languages);
    return languages;
}

}  // namespace stela
