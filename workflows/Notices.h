#pragma once

#include <string>

#include "workflows/Outcomes.h"

namespace stela {

// What the window and stela-cli say of an outcome, in the sign's words.

// The notice that ends a search: the port found, or none with a hint for the
// first candidate refused for want of access and the first one busy.
std::string searchNotice(const SearchOutcome& outcome);
// The status line once the sign is found: "Работаем на COM3".
std::string workingOnText(const std::string& port);

// The notice of a brightness or effect command: "Установлена ручная яркость: 3", ...
std::string commandNotice(const CommandOutcome& outcome);

}  // namespace stela
