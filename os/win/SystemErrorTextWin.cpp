#include <windows.h>

#include "os/SystemErrorText.h"
#include "os/win/WideText.h"

namespace stela {
namespace {

// The message table's language for a language tag: its primary language.
LANGID languageId(const std::string& language) {
    const std::string primary = language.substr(0, language.find_first_of("_-.@"));
    const LCID locale = LocaleNameToLCID(widened(primary).c_str(), 0);
    return locale == 0 ? MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US) : LANGIDFROMLCID(locale);
}

std::wstring message(int code, DWORD language) {
    wchar_t text[512];
    const DWORD size =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       DWORD(code), language, text, sizeof text / sizeof *text, nullptr);
    return std::wstring(text, size);
}

}  // namespace

std::string systemErrorText(int code) {
    return systemErrorText(code, "en");
}

// Wide, so that a message in the system's language arrives whole as UTF-8.
std::string systemErrorText(int code, const std::string& language) {
    std::wstring text = message(code, languageId(language));
    if (text.empty()) {
        text = message(code, 0);
    }
    // The system's messages end in ".\r\n": a hint goes on after them.
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L'.' ||
                             text.back() == L' ')) {
        text.pop_back();
    }
    return text.empty() ? "Windows error " + std::to_string(code) : narrowed(text);
}

}  // namespace stela
