#include "i18n/Translate.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "i18n/Languages.h"
#include "i18n/Translator.h"
#include "os/ExecutablePath.h"
#include "os/SystemErrorText.h"

namespace stela {
namespace {

// The catalogues live in locale/ beside the executable (a build) or, installed,
// in share/locale beside its bin/ (/usr/share/locale for /usr/bin): found from
// the executable's own place, a package unpacked anywhere finds its own.
std::vector<std::string> catalogueRoots() {
    const std::string directory = executableDirectory();
    if (directory.empty()) {
        return {};
    }
    return {directory + "/locale", directory + "/../share/locale"};
}

std::mutex processMutex;
std::shared_ptr<Translator> processTranslator;

std::shared_ptr<Translator> currentTranslator() {
    std::lock_guard<std::mutex> lock(processMutex);
    if (!processTranslator) {
        processTranslator = std::make_shared<Translator>(
            catalogueLanguages(localeEnvironment), catalogueRoots(), systemCatalogueDirectory());
    }
    return processTranslator;
}

}  // namespace

std::string translate(const std::string& text, const std::string& domain) {
    return currentTranslator()->translate(text, domain);
}

std::string systemErrorMeaning(int code) {
    return translateSystem(systemErrorText(code));
}

std::string errnoMeaning(int code) {
    return translateSystem(std::strerror(code));
}

void reloadTranslations() {
    std::lock_guard<std::mutex> lock(processMutex);
    processTranslator.reset();
}

void useCatalogueLanguages(std::vector<std::string> languages,
                           std::vector<BuiltInCatalogue> builtIn) {
    auto translator = std::make_shared<Translator>(std::move(languages), catalogueRoots(),
                                                   systemCatalogueDirectory(), std::move(builtIn));
    std::lock_guard<std::mutex> lock(processMutex);
    processTranslator = std::move(translator);
}

bool hasCatalogue(const std::string& language, const std::string& domain) {
    for (const std::string& root : catalogueRoots()) {
        if (::access(cataloguePath(root, language, domain).c_str(), R_OK) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace stela
