#pragma once

#include <string>

namespace stela::cli {

// stela-cli's texts that speak of the system it runs on, in the run's
// language: Linux's words on Linux, Windows' on Windows.

// The help: all commands, or check's alone.
std::string usageText();
std::string checkUsageText();

// --encoding names a charset unknown here; `name` as the message quotes it.
std::string unknownCharsetText(const std::string& name);

// Why a run stopped: by the signal it names on Linux; by Ctrl+C, Ctrl+Break or
// the console's closing on Windows (numbered as its C runtime numbers them).
std::string stoppedText(int signal);

}  // namespace stela::cli
