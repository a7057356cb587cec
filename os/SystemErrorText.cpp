#include "os/SystemErrorText.h"

#include <cstring>

namespace stela {

std::string systemErrorText(int code) {
    return std::strerror(code);
}

std::string systemErrorText(int code, const std::string&) {
    return std::strerror(code);
}

}  // namespace stela
