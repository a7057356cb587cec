#pragma once

namespace stela {

// Names the application in the task bar; the caption of every notice and error report.
inline constexpr char kApplicationTitle[] = "ОРВЕНА - управление стелой с прошивкой D731";

// The main window's caption is this, two blanks and the maker's site.
inline constexpr char kMainWindowCaption[] = "ОРВЕНА С520/640 - прошивка Д731";
inline constexpr char kMakerSite[] = "www.orvena.ru";

}  // namespace stela
