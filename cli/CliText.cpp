#include "cli/CliText.h"

#include <vector>

namespace stela::cli {

std::string translateCli(const std::string& text, std::initializer_list<std::string> values) {
    const std::vector<std::string> filled(values);
    const std::string translated = translateCli(text);
    std::string out;
    for (std::size_t i = 0; i < translated.size(); ++i) {
        const char next = i + 1 < translated.size() ? translated[i + 1] : '\0';
        const std::size_t n = static_cast<std::size_t>(next - '1');
        if (translated[i] == '%' && next >= '1' && next <= '9' && n < filled.size()) {
            out += filled[n];  // one pass: a value holding "%2" stays as it is
            ++i;
        } else {
            out += translated[i];
        }
    }
    return out;
}

}  // namespace stela::cli
