#include "os/SystemErrorText.h"

#include <cstring>

namespace stela {

// In English whatever the locale: the C library's catalogue takes it from there.
std::string systemErrorText(int code) {
#ifdef __GLIBC__
    if (const char* text = strerrordesc_np(code)) {
        return text;
    }
#endif
    return std::strerror(code);
}

std::string systemErrorText(int code, const std::string&) {
    return std::strerror(code);
}

}  // namespace stela
