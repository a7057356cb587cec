#include "i18n/Translator.h"

#include "i18n/Languages.h"
#include "i18n/Translate.h"

namespace stela {
namespace {

// The language each domain's texts are written in.
std::string sourceLanguage(const std::string& domain) {
    if (domain == "default") {
        return "ru";
    }
    if (domain == "cport" || domain == "cli" || domain == kLibcDomain) {
        return "en";
    }
    return {};
}

}  // namespace

std::string cataloguePath(const std::string& root, const std::string& language,
                          const std::string& domain) {
    const std::string name = domain == "default"     ? "stela"
                             : domain == kLibcDomain ? domain
                                                     : "stela-" + domain;
    return root + "/" + language + "/LC_MESSAGES/" + name + ".mo";
}

Translator::Translator(std::vector<std::string> languages, std::vector<std::string> roots,
                       std::string systemRoot, std::vector<BuiltInCatalogue> builtIn)
    : languages_(std::move(languages)),
      roots_(std::move(roots)),
      systemRoot_(std::move(systemRoot)),
      builtIn_(std::move(builtIn)) {}

std::string Translator::translate(const std::string& text, const std::string& domain) {
    std::lock_guard<std::mutex> lock(mutex_);
    const MoCatalogue* found = catalogue(domain);
    const std::string* translation = found ? found->find(text) : nullptr;
    return translation ? *translation : text;
}

const MoCatalogue* Translator::catalogue(const std::string& domain) {
    auto it = domains_.find(domain);
    if (it == domains_.end()) {
        std::optional<MoCatalogue> loaded;
        const std::string source = sourceLanguage(domain);
        const std::vector<std::string> roots =
            domain == kLibcDomain ? std::vector<std::string>{systemRoot_} : roots_;
        for (const std::string& language : languages_) {
            if (languageOf(language) == source) {
                break;
            }
            for (const std::string& root : roots) {
                if (root.empty()) {
                    continue;
                }
                loaded = loadMoCatalogue(cataloguePath(root, language, domain));
                if (loaded) {
                    break;
                }
            }
            for (const BuiltInCatalogue& carried : builtIn_) {
                const bool matches =
                    carried.domain == domain &&
                    (carried.language == language || carried.language == languageOf(language));
                if (!loaded && matches) {
                    loaded = MoCatalogue::parse(carried.bytes);
                }
            }
            if (loaded) {
                break;
            }
        }
        it = domains_.emplace(domain, std::move(loaded)).first;
    }
    return it->second ? &*it->second : nullptr;
}

}  // namespace stela
