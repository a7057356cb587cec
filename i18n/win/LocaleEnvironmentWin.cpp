#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "i18n/Languages.h"

namespace stela {
namespace {

// The user's display language as a locale name ("ru-RU" -> "ru_RU"); "" when
// Windows does not name it.
std::string userInterfaceLanguage() {
    wchar_t wide[LOCALE_NAME_MAX_LENGTH];
    if (LCIDToLocaleName(MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT), wide,
                         LOCALE_NAME_MAX_LENGTH, 0) <= 0) {
        return {};
    }
    std::string name;
    for (const wchar_t* c = wide; *c != L'\0' && *c < 0x80; ++c) {
        name += *c == L'-' ? '_' : static_cast<char>(*c);
    }
    return name;
}

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

std::string localeEnvironment(const char* name) {
    std::string value = variable(name);
    if (value.empty() && std::strcmp(name, "LANG") == 0 && variable("LC_ALL").empty() &&
        variable("LC_MESSAGES").empty()) {
        value = userInterfaceLanguage();
    }
    return value;
}

// Windows' C runtime has no catalogues of its messages.
std::string systemCatalogueDirectory() {
    return {};
}

}  // namespace stela
