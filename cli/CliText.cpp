#include "cli/CliText.h"

#include "i18n/FilledText.h"

namespace stela::cli {

std::string translateCli(const std::string& text, std::initializer_list<std::string> values) {
    return fillIn(translateCli(text), values);
}

}  // namespace stela::cli
