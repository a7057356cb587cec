#include "serial/Translate.h"

namespace stela {

std::string translate(const std::string& text, const std::string& /*domain*/) {
    return text;
}

}  // namespace stela
