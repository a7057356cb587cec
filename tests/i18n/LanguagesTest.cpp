#include "i18n/Languages.h"

#include <gtest/gtest.h>

#include <map>

namespace stela {
namespace {

using Environment = std::map<std::string, std::string>;
using Languages = std::vector<std::string>;

Languages languagesFor(const Environment& environment) {
    return catalogueLanguages([&](const char* name) {
        const auto it = environment.find(name);
        return it == environment.end() ? std::string() : it->second;
    });
}

TEST(CatalogueLanguages, FromTheEnvironment) {
    struct Case {
        Environment environment;
        Languages expected;
    };
    const Case cases[] = {
        {{}, {}},
        {{{"LANG", "ru_RU.UTF-8"}}, {"ru_RU", "ru"}},
        {{{"LANG", "ru"}}, {"ru"}},
        // The locale: LC_ALL, then LC_MESSAGES, then LANG.
        {{{"LANG", "en_US"}, {"LC_ALL", "ru_RU"}}, {"ru_RU", "ru"}},
        {{{"LANG", "en_US"}, {"LC_MESSAGES", "de_DE"}}, {"de_DE", "de"}},
        {{{"LC_ALL", "uk_UA.UTF-8"}, {"LC_MESSAGES", "de_DE"}}, {"uk_UA", "uk"}},
        // LANGUAGE's list first (its empty entries skipped), then the locale.
        {{{"LANGUAGE", "de:ru"}, {"LANG", "en_US.UTF-8"}}, {"de", "ru", "en_US", "en"}},
        {{{"LANGUAGE", ":de_AT::ru_RU:"}, {"LANG", "ru_RU"}}, {"de_AT", "de", "ru_RU", "ru"}},
        {{{"LANGUAGE", ""}, {"LANG", "en_GB.UTF-8"}}, {"en_GB", "en"}},
        // The texts as written under C or POSIX, whatever LANGUAGE says.
        {{{"LANG", "C"}}, {}},
        {{{"LANG", "C.UTF-8"}, {"LANGUAGE", "ru"}}, {}},
        {{{"LC_ALL", "POSIX"}, {"LANG", "ru_RU.UTF-8"}}, {}},
        {{{"LANGUAGE", "ru"}}, {}},
        {{{"LANGUAGE", "ru:C:en"}, {"LANG", "de_DE"}}, {"ru"}},
        // A modifier ranks above the territory, as glibc tries them.
        {{{"LANG", "sr_RS.UTF-8@latin"}}, {"sr_RS@latin", "sr@latin", "sr_RS", "sr"}},
        // A path is no language.
        {{{"LANGUAGE", "../../etc:x/y:ru"}, {"LANG", "ru"}}, {"ru"}},
    };
    for (const Case& c : cases) {
        std::string described;
        for (const auto& [name, value] : c.environment) {
            described += name + "=" + value + " ";
        }
        EXPECT_EQ(languagesFor(c.environment), c.expected) << described;
    }
}

}  // namespace
}  // namespace stela
