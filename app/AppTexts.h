#pragma once

#include "i18n/Translate.h"

namespace stela {

// Texts of the "default" domain, looked up where they are shown.

// Names the application in the task bar; the caption of every notice and error report.
inline constexpr const char* kApplicationTitle =
    markDefault("ОРВЕНА - управление стелой с прошивкой D731");

// The main window's caption is this, two blanks and the maker's site.
inline constexpr const char* kMainWindowCaption = markDefault("ОРВЕНА С520/640 - прошивка Д731");
inline constexpr char kMakerSite[] = "www.orvena.ru";

}  // namespace stela
