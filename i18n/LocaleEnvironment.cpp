#include <cstdlib>

#include "i18n/Languages.h"

namespace stela {

// Here the language is the environment's alone.
std::string localeEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace stela
