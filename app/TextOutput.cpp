#include "app/TextOutput.h"

namespace stela {

void writeText(std::FILE* stream, const std::string& text) {
    std::fputs(text.c_str(), stream);
}

}  // namespace stela
