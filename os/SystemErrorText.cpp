#include "os/SystemErrorText.h"

#include <cstring>

namespace stela {

std::string systemErrorText(int code) {
    return std::strerror(code);
}

}  // namespace stela
