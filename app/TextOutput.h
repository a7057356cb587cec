#pragma once

#include <cstdio>
#include <string>

namespace stela {

// Writes UTF-8 `text` to `stream` (stdout or stderr) as the system shows it. On
// Windows, stela.exe is a window program with no console of its own: started
// from a command prompt, it writes into that prompt's console, in wide
// characters (right whatever the console's code page); redirected, the bytes.
void writeText(std::FILE* stream, const std::string& text);

}  // namespace stela
