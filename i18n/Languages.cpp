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
    std::vector<std::string> locales = split(environment("LANGUAGE"), ':');
    locales.erase(std::remove(locales.begin(), locales.end(), std::string()), locales.end());
    if (locales.empty()) {
        for (const char* name : {"LANG", "LC_ALL", "LC_MESSAGES"}) {
            std::string value = environment(name);
            if (!value.empty()) {
                locales.push_back(std::move(value));
                break;
            }
        }
    }
    std::vector<std::string> languages;
    for (const std::string& locale : locales) {
        if (isUntranslated(locale)) {
            break;
        }
        addVariants(locale, languages);
    }
    return languages;
}

}  // namespace stela
