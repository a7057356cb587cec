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
        // LANGUAGE's list comes first, and its empty entries are skipped.
        {{{"LANGUAGE", "de:ru"}, {"LANG", "en_US.UTF-8"}}, {"de", "ru"}},
        {{{"LANGUAGE", ":de_AT::ru_RU:"}}, {"de_AT", "de", "ru_RU", "ru"}},
        {{{"LANGUAGE", ""}, {"LANG", "en_GB.UTF-8"}}, {"en_GB", "en"}},
        // Without LANG, the locale of LC_ALL, then of LC_MESSAGES.
        {{{"LC_ALL", "uk_UA.UTF-8"}, {"LC_MESSAGES", "de_DE"}}, {"uk_UA", "uk"}},
        {{{"LC_MESSAGES", "de_DE"}}, {"de_DE", "de"}},
        {{{"LANG", "ru_RU.UTF-8"}, {"LC_ALL", "de_DE"}}, {"ru_RU", "ru"}},
        // The texts as written: C and POSIX end the list.
        {{{"LANG", "C"}}, {}},
        {{{"LANG", "C.UTF-8"}}, {}},
        {{{"LANG", "POSIX"}}, {}},
        {{{"LANGUAGE", "ru:C:en"}}, {"ru"}},
        // A modifier ranks above the territory, as glibc tries them.
        {{{"LANG", "sr_RS.UTF-8@latin"}}, {"sr_RS@latin", "sr@latin", "sr_RS", "sr"}},
        // A path is no language.
        {{{"LANGUAGE", "../../etc:x/y:ru"}}, {"ru"}},
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
