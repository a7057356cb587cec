#pragma once

namespace stela::test {

// Every test program starts with this: LANG=C and no LANGUAGE, LC_ALL or
// LC_MESSAGES, so that every text stays as written whatever language the
// developer or CI runs in.
void pinUntranslatedLanguage();

// Sets one language variable (LANG, LANGUAGE, ...) for a test's lifetime and
// makes the lookup read it; the pinned untranslated language comes back after.
class ScopedLanguage {
public:
    ScopedLanguage(const char* variable, const char* value);
    ~ScopedLanguage();
    ScopedLanguage(const ScopedLanguage&) = delete;
    ScopedLanguage& operator=(const ScopedLanguage&) = delete;
};

}  // namespace stela::test
