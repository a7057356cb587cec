#pragma once

#include <string>

#include "store/AtomicFile.h"

namespace stela::cli {

// stela-cli's texts that speak of the system it runs on, in the run's
// language: Linux's words on Linux, Windows' on Windows.

// The help: all commands, or check's alone.
std::string usageText();
std::string checkUsageText();

// --encoding names a charset unknown here; `name` as the message quotes it.
std::string unknownCharsetText(const std::string& name);

// --port names no port; `name` as the message quotes it.
std::string notAPortText(const std::string& name);

// What is at a path that is no regular file, as this system names it.
std::string fileKindText(FileKind kind);

// Why a run stopped: by the signal it names on Linux; by Ctrl+C, Ctrl+Break or
// the console's closing on Windows (numbered as its C runtime numbers them).
std::string stoppedText(int signal);

// The system's own words for a port's error number (EComPort::SystemCode), in
// `language`, to begin the hint line: on Windows, whose message shows the bare
// number; "" on Linux, whose message names the error already, and for -1.
std::string systemWordsText(int code, const std::string& language);

}  // namespace stela::cli
