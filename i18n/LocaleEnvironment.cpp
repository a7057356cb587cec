#include <libintl.h>

#include <cstdlib>

#include "i18n/Languages.h"
#include "i18n/Translate.h"

namespace stela {

// Here the language is the environment's alone.
std::string localeEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Asked, not bound: the C library's catalogues are where it was built to look.
std::string systemCatalogueDirectory() {
    const char* directory = ::bindtextdomain(kLibcDomain, nullptr);
    return directory ? directory : "";
}

}  // namespace stela
