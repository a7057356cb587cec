#include "store/RegFile.h"

#include <gtest/gtest.h>

namespace stela {
namespace {

RegValue binary(std::uint32_t rawType, std::vector<std::uint8_t> bytes) {
    RegValue v;
    v.type = RegValue::Type::Binary;
    v.rawType = rawType;
    v.bytes = std::move(bytes);
    return v;
}

const char kEveryType[] =
    "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n"
    "[HKEY_CURRENT_USER\\A]\n"
    "@=\"default\"\n"
    "\"Quoted \\\"name\\\"\"=\"back\\\\slash\"\n"
    "\"Number\"=DWORD:FFFFFFFE\n"
    "\"Short\"=dword:7\n"
    "\"Bytes\"=hex:00, 7f ,\\\n"
    "  FF\n"
    "\"Empty\"=hex:\n"
    "\"Expand\"=hex(2):25,00\n"
    "\"Gone\"=-\n";

TEST(RegFile, ReadsEachTypeAsTheFileSpellsIt) {
    const auto file = RegFile::parse(kEveryType);
    ASSERT_TRUE(file);
    RegValue gone;
    gone.type = RegValue::Type::Delete;
    const std::vector<std::pair<std::string, RegValue>> expected{
        {"", RegValue::string("default")},
        {"Quoted \"name\"", RegValue::string("back\\slash")},
        {"Number", RegValue::dword(0xFFFFFFFE)},
        {"Short", RegValue::dword(7)},
        {"Bytes", binary(3, {0x00, 0x7F, 0xFF})},
        {"Empty", binary(3, {})},
        {"Expand", binary(2, {0x25, 0x00})},
        {"Gone", gone},
    };
    const auto entries = file->entries();
    ASSERT_EQ(entries.size(), expected.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].key, "HKEY_CURRENT_USER\\A");
        EXPECT_EQ(entries[i].name, expected[i].first);
        EXPECT_EQ(entries[i].value, expected[i].second) << expected[i].first;
    }
    EXPECT_EQ(*file->value("hkey_current_user\\a", "NUMBER"), RegValue::dword(0xFFFFFFFE));
    EXPECT_EQ(file->text(), kEveryType);
}

TEST(RegFile, SetValuesAreWrittenInTheCanonicalForm) {
    auto file = *RegFile::parse(kEveryType);
    for (const auto& entry : file.entries()) {
        ASSERT_TRUE(file.setValue(entry.key, entry.name, entry.value));
    }
    EXPECT_TRUE(file.setValue("HKEY_CURRENT_USER\\B", "x", RegValue::dword(0x2580)));
    EXPECT_EQ(file.text(),
              "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n"
              "[HKEY_CURRENT_USER\\A]\n"
              "@=\"default\"\n"
              "\"Quoted \\\"name\\\"\"=\"back\\\\slash\"\n"
              "\"Number\"=dword:fffffffe\n"
              "\"Short\"=dword:00000007\n"
              "\"Bytes\"=hex:00,7f,ff\n"
              "\"Empty\"=hex:\n"
              "\"Expand\"=hex(2):25,00\n"
              "\"Gone\"=-\n"
              "\n"
              "[HKEY_CURRENT_USER\\B]\n"
              "\"x\"=dword:00002580\n"
              "\n");
    auto unended =
        *RegFile::parse("Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"a\"=-");
    unended.setValue("HKEY_CURRENT_USER\\A", "b", RegValue::string("2"));
    EXPECT_EQ(
        unended.text(),
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"a\"=-\n\"b\"=\"2\"\n");

    for (const std::string& unfit :
         {std::string("a\nb"), std::string("a\rb"), std::string("a\0b", 3)}) {
        EXPECT_FALSE(file.setValue("HKEY_CURRENT_USER\\A", "n", RegValue::string(unfit)));
    }
    EXPECT_FALSE(file.setValue("HKEY_CURRENT_USER\\A", "n\n", RegValue::dword(1)));
    EXPECT_FALSE(file.setValue("", "n", RegValue::dword(1)));
}

}  // namespace
}  // namespace stela
