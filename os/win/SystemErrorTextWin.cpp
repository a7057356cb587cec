#include <windows.h>

#include "os/SystemErrorText.h"

namespace stela {

std::string systemErrorText(int code) {
    char text[512];
    DWORD size = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                DWORD(code), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text,
                                sizeof text, nullptr);
    if (size == 0) {
        size = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                              DWORD(code), 0, text, sizeof text, nullptr);
    }
    // The system's messages end in ".\r\n": a hint goes on after them.
    while (size > 0 &&
           (text[size - 1] == '\n' || text[size - 1] == '\r' || text[size - 1] == '.')) {
        --size;
    }
    return size > 0 ? std::string(text, size) : "Windows error " + std::to_string(code);
}

}  // namespace stela
