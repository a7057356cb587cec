#include "tests/support/TestLanguage.h"

#include <cstdlib>

#include "i18n/Translate.h"

namespace stela::test {

void pinUntranslatedLanguage() {
    ::setenv("LANG", "C", 1);
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) {
        ::unsetenv(name);
    }
    reloadTranslations();
}

ScopedLanguage::ScopedLanguage(const char* variable, const char* value) {
    ::setenv(variable, value, 1);
    reloadTranslations();
}

ScopedLanguage::~ScopedLanguage() {
    pinUntranslatedLanguage();
}

}  // namespace stela::test
