#include "console/FilledText.h"

#include "i18n/Translate.h"

namespace stela {

std::string filled(const char* text, std::initializer_list<std::string> values) {
    std::string out = translateDefault(text);
    int n = 1;
    for (const std::string& value : values) {
        const std::string mark = "%" + std::to_string(n++);
        const auto at = out.find(mark);
        if (at != std::string::npos) {
            out.replace(at, mark.size(), value);
        }
    }
    return out;
}

}  // namespace stela
