#include "cli/CliLanguage.h"

#include "cli/BuiltInCatalogues.h"
#include "i18n/Translate.h"

namespace stela::cli {

std::string cliLanguage(const EnvironmentReader& environment) {
    for (const std::string& language : catalogueLanguages(environment)) {
        if (languageOf(language) == "en" || hasCatalogue(language, kCliDomain)) {
            return language;
        }
    }
    return "en";
}

void speakCliLanguage(const EnvironmentReader& environment) {
    const std::string language = cliLanguage(environment);
    // English texts need the catalogue of "en" for the console's Russian ones.
    useCatalogueLanguages({languageOf(language) == "en" ? "en" : language}, builtInCatalogues());
}

}  // namespace stela::cli
