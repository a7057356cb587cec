#include "i18n/Translator.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/i18n/MoFile.h"

namespace stela {
namespace {

namespace fs = std::filesystem;
using test::kUtf8Header;
using test::moBytes;

// A catalogue tree of its own, named as cataloguePath names it.
class TranslatorTest : public ::testing::Test {
protected:
    TranslatorTest()
        : root_(fs::temp_directory_path() / ("stela-locale-" + std::to_string(::getpid()))) {}
    ~TranslatorTest() override { fs::remove_all(root_); }

    void put(const std::string& language, const std::string& domain, const std::string& bytes) {
        const fs::path file = cataloguePath(root_.string(), language, domain);
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
    }

    Translator translator(std::vector<std::string> languages) {
        return Translator(std::move(languages), {root_.string()});
    }

    fs::path root_;
};

const std::string kRussianCport = moBytes({{"", kUtf8Header}, {"Port", "Порт"}});
const std::string kEnglishDefault = moBytes({{"", kUtf8Header}, {"Выход", "Exit"}});

TEST_F(TranslatorTest, TheFirstLanguageWithACatalogueWins) {
    put("ru", "cport", kRussianCport);
    put("de_AT", "cport", moBytes({{"", kUtf8Header}, {"Port", "Anschluss"}}));
    EXPECT_EQ(translator({"de", "ru"}).translate("Port", "cport"), "Порт");
    EXPECT_EQ(translator({"de_AT", "de", "ru"}).translate("Port", "cport"), "Anschluss");
    EXPECT_EQ(translator({"ru"}).translate("Baud rate", "cport"), "Baud rate");
    EXPECT_EQ(translator({"ru"}).translate("Port", "other"), "Port");
    EXPECT_EQ(translator({}).translate("Port", "cport"), "Port");
}

// English ahead of Russian keeps the dialog English though a Russian
// catalogue exists, and Russian ahead of English keeps the window Russian.
TEST_F(TranslatorTest, TheSearchStopsAtTheLanguageADomainIsWrittenIn) {
    put("ru", "cport", kRussianCport);
    put("en", "default", kEnglishDefault);
    Translator englishFirst = translator({"en_US", "en", "ru"});
    EXPECT_EQ(englishFirst.translate("Port", "cport"), "Port");
    EXPECT_EQ(englishFirst.translate("Выход", "default"), "Exit");
    Translator russianFirst = translator({"ru_RU", "ru", "en"});
    EXPECT_EQ(russianFirst.translate("Port", "cport"), "Порт");
    EXPECT_EQ(russianFirst.translate("Выход", "default"), "Выход");
}

TEST_F(TranslatorTest, ABrokenCatalogueLeavesTheTextsOrGivesWayToTheNextLanguage) {
    const std::string good = moBytes({{"", kUtf8Header}, {"Port", "Porta"}});
    std::string wrongMagic = good;
    wrongMagic[0] = 'X';
    std::string offsetPastEnd = good;
    offsetPastEnd[32] = '\x7f';  // the first original's offset
    const std::string broken[] = {"", good.substr(0, 20), good.substr(0, good.size() - 1),
                                  wrongMagic, offsetPastEnd};
    for (const std::string& bytes : broken) {
        put("it", "cport", bytes);
        EXPECT_EQ(translator({"it"}).translate("Port", "cport"), "Port") << bytes.size();
        put("ru", "cport", kRussianCport);
        EXPECT_EQ(translator({"it", "ru"}).translate("Port", "cport"), "Порт") << bytes.size();
        fs::remove_all(root_ / "ru");
    }
}

// The C library's messages from its own catalogue in the system's folder alone;
// a built-in catalogue where its language has no file, and a file before it.
TEST_F(TranslatorTest, SystemAndBuiltInCataloguesAreTakenWhereTheyBelong) {
    const fs::path system = root_ / "system";
    fs::create_directories(system / "ru/LC_MESSAGES");
    std::ofstream(system / "ru/LC_MESSAGES/libc.mo", std::ios::binary) << kRussianCport;
    put("ru", "libc", kEnglishDefault);  // among stela's own: not the C library's
    const std::vector<BuiltInCatalogue> carried = {{"ru", "cport", kRussianCport}};
    Translator russian({"ru_RU", "ru"}, {root_.string()}, system.string(), carried);
    EXPECT_EQ(russian.translate("Port", "libc"), "Порт");
    EXPECT_EQ(russian.translate("Port", "cport"), "Порт");
    EXPECT_EQ(Translator({"en", "ru"}, {}, system.string()).translate("Port", "libc"), "Port");
    put("ru_RU", "cport", moBytes({{"", kUtf8Header}, {"Port", "Порт (файл)"}}));
    EXPECT_EQ(Translator({"ru_RU"}, {root_.string()}, "", carried).translate("Port", "cport"),
              "Порт (файл)");
}

TEST_F(TranslatorTest, ACatalogueIsReadOnceForItsDomain) {
    put("ru", "cport", kRussianCport);
    Translator russian = translator({"ru"});
    EXPECT_EQ(russian.translate("Port", "cport"), "Порт");
    fs::remove_all(root_);
    EXPECT_EQ(russian.translate("Port", "cport"), "Порт");
}

}  // namespace
}  // namespace stela
