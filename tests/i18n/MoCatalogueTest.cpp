#include "i18n/MoCatalogue.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "tests/i18n/MoFile.h"

namespace stela {
namespace {

using test::kUtf8Header;
using test::moBytes;

const test::MoEntries kEntries = {
    {"", kUtf8Header},
    {"Port", "Порт"},
    {"Cancel", "Отмена"},
    {"Untranslated", ""},
    {std::string("file\0files", 10), std::string("файл\0файла\0файлов", 30)},
};

std::string find(const MoCatalogue& catalogue, const std::string& text) {
    const std::string* found = catalogue.find(text);
    return found ? *found : "(none)";
}

TEST(MoCatalogue, ReadsEitherByteOrder) {
    for (bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "big-endian" : "little-endian");
        const auto catalogue = MoCatalogue::parse(moBytes(kEntries, bigEndian));
        ASSERT_TRUE(catalogue);
        EXPECT_EQ(find(*catalogue, "Port"), "Порт");
        EXPECT_EQ(find(*catalogue, "Cancel"), "Отмена");
        EXPECT_EQ(find(*catalogue, "OK"), "(none)");
        // The header is no translation of the empty text, and an empty
        // translation is none.
        EXPECT_EQ(find(*catalogue, ""), "(none)");
        EXPECT_EQ(find(*catalogue, "Untranslated"), "(none)");
        // A plural entry answers for its singular with its first form.
        EXPECT_EQ(find(*catalogue, "file"), "файл");
    }
}

TEST(MoCatalogue, ACatalogueInAnotherCharsetIsConvertedToUtf8) {
    const auto koi8r = MoCatalogue::parse(moBytes(
        {{"", "Content-Type: text/plain; charset=KOI8-R\n"}, {"Port", "\xf0\xcf\xd2\xd4"}}));
    ASSERT_TRUE(koi8r);
    EXPECT_EQ(find(*koi8r, "Port"), "Порт");
    // The originals are in the catalogue's charset too.
    const auto cp1251 = MoCatalogue::parse(moBytes(
        {{"", "Content-Type: text/plain; charset=CP1251\n"}, {"\xc2\xfb\xf5\xee\xe4", "Exit"}}));
    ASSERT_TRUE(cp1251);
    EXPECT_EQ(find(*cp1251, "Выход"), "Exit");
    EXPECT_TRUE(MoCatalogue::parse(moBytes({{"Port", "Порт"}})));  // no header at all
    // A charset iconv does not know, or a text invalid in it, gives nothing.
    EXPECT_FALSE(MoCatalogue::parse(
        moBytes({{"", "Content-Type: text/plain; charset=NO-SUCH\n"}, {"Port", "P"}})));
    EXPECT_FALSE(MoCatalogue::parse(
        moBytes({{"", "Content-Type: text/plain; charset=UTF-16\n"}, {"Port", "P"}})));
}

// Offsets of the header words and of the first original's table entry.
constexpr std::size_t kRevision = 4, kCount = 8, kOriginals = 12, kTranslations = 16;
constexpr std::size_t kFirstLength = 28, kFirstOffset = 32;

void putWord(std::string& bytes, std::size_t at, std::uint32_t w) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>(w >> (8 * i));
    }
}

TEST(MoCatalogue, BrokenFilesGiveNothing) {
    const std::string good = moBytes(kEntries);
    ASSERT_TRUE(MoCatalogue::parse(good));

    for (std::size_t size = 0; size < good.size(); ++size) {
        EXPECT_FALSE(MoCatalogue::parse(good.substr(0, size))) << "cut to " << size << " bytes";
    }

    struct Case {
        const char* what;
        std::size_t at;
        std::uint32_t value;
    };
    const Case cases[] = {
        {"wrong magic", 0, 0x950412df},
        {"revision 2.0", kRevision, 0x20000},
        {"a count past the end", kCount, 0x10000000},
        {"the largest count", kCount, 0xffffffff},
        {"originals table past the end", kOriginals, static_cast<std::uint32_t>(good.size())},
        {"translations table past the end", kTranslations, 0xfffffff0},
        {"a string offset past the end", kFirstOffset, static_cast<std::uint32_t>(good.size())},
        {"a string offset that wraps", kFirstOffset, 0xffffffff},
        {"a string length past the end", kFirstLength, 0x7fffffff},
        {"a string without its NUL", kFirstLength, 1},
    };
    for (const Case& c : cases) {
        std::string broken = good;
        putWord(broken, c.at, c.value);
        EXPECT_FALSE(MoCatalogue::parse(broken)) << c.what;
    }
}

// Random damage to a valid catalogue: never a crash, never a read outside the
// bytes (the sanitizer builds watch), and whatever parses still looks up.
TEST(MoCatalogue, SurvivesRandomDamage) {
    const std::string good = moBytes(kEntries);
    std::mt19937 random(13);
    std::uniform_int_distribution<std::size_t> position(0, good.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    int parsed = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string damaged = good;
        for (int hits = 1 + round % 4; hits > 0; --hits) {
            damaged[position(random)] = static_cast<char>(byte(random));
        }
        if (const auto catalogue = MoCatalogue::parse(damaged)) {
            ++parsed;
            catalogue->find("Port");
        }
    }
    // Damage to the strings' bytes still parses; damage to the tables does not.
    EXPECT_GT(parsed, 0);
    EXPECT_LT(parsed, 20000);
}

TEST(MoCatalogue, LoadsOnlyARegularReadableFile) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("stela-mo-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    auto write = [&](const char* name, const std::string& bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return (dir / name).string();
    };
    EXPECT_TRUE(loadMoCatalogue(write("good.mo", moBytes(kEntries))));
    EXPECT_FALSE(loadMoCatalogue(write("empty.mo", "")));
    EXPECT_FALSE(loadMoCatalogue((dir / "missing.mo").string()));
    EXPECT_FALSE(loadMoCatalogue(dir.string()));
    EXPECT_FALSE(loadMoCatalogue("/dev/null"));
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace stela
