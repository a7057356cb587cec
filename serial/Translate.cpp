#include "serial/Translate.h"

#include <unistd.h>
#include <cstdlib>
#include <memory>
#include <mutex>

#include "serial/Languages.h"
#include "serial/Translator.h"

namespace stela {
namespace {

// The catalogues live in locale/ beside the executable.
std::string catalogueRoot() {
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return {};
    }
    const std::string executable(path, static_cast<std::size_t>(length));
    return executable.substr(0, executable.rfind('/')) + "/locale";
}

std::string environmentVariable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::mutex processMutex;
std::shared_ptr<Translator> processTranslator;

std::shared_ptr<Translator> currentTranslator() {
    std::lock_guard<std::mutex> lock(processMutex);
    if (!processTranslator) {
        processTranslator =
            std::make_shared<Translator>(catalogueLanguages(environmentVariable), catalogueRoot());
    }
    return processTranslator;
}

}  // namespace

std::string translate(const std::string& text, const std::string& domain) {
    return currentTranslator()->translate(text, domain);
}

void reloadTranslations() {
    std::lock_guard<std::mutex> lock(processMutex);
    processTranslator.reset();
}

}  // namespace stela
