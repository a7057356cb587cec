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

namespace stela {
namespace {

std::string utf16le(const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

// What regedit writes: its default export in UTF-16LE, the old REGEDIT4
// format, comments after values, CR alone ending lines. Each is read, and
// written back in its own encoding and line ends with only the set value new.
TEST(RegFile, ReadsAndWritesBackWhatRegeditWrites) {
    struct Case {
        const char* what;
        std::string before;
        std::string after;  // once Port is set to COM3 and Parity added
    };
    const std::string key = "[HKEY_LOCAL_MACHINE\\Software\\ORVENA\\ComPort]";
    const Case cases[] = {
        {"UTF-16LE export",
         utf16le("Windows Registry Editor Version 5.00\r\n\r\n" + key +
                 "\r\n\"Port\"=\"COM1\"\r\n"),
         utf16le("Windows Registry Editor Version 5.00\r\n\r\n" + key +
                 "\r\n\"Port\"=\"COM3\"\r\n\"Parity\"=\"None\"\r\n")},
        {"REGEDIT4", "REGEDIT4\r\n\r\n" + key + "\r\n\"Port\"=\"COM1\"\r\n",
         "REGEDIT4\r\n\r\n" + key + "\r\n\"Port\"=\"COM3\"\r\n\"Parity\"=\"None\"\r\n"},
        {"comments after values",
         "REGEDIT4\n" + key + " ; ours\n\"Port\"=\"COM1\"  ; the adapter\n\"N\"=dword:1;x\n",
         "REGEDIT4\n" + key +
             " ; ours\n\"Port\"=\"COM3\" ; the adapter\n\"N\"=dword:1;x\n\"Parity\"=\"None\"\n"},
        {"CR line ends", "REGEDIT4\r" + key + "\r\"Port\"=\"COM1\"\r",
         "REGEDIT4\r" + key + "\r\"Port\"=\"COM3\"\r\"Parity\"=\"None\"\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto file = RegFile::parse(c.before);
        ASSERT_TRUE(file);
        EXPECT_EQ(file->text(), c.before);
        EXPECT_EQ(*file->value(key.substr(1, key.size() - 2), "Port"), RegValue::string("COM1"));
        file->setValue(key.substr(1, key.size() - 2), "Port", RegValue::string("COM3"));
        file->setValue(key.substr(1, key.size() - 2), "Parity", RegValue::string("None"));
        EXPECT_EQ(file->text(), c.after);
    }
    // Texts UTF-16 cannot hold are refused rather than lost.
    auto file = *RegFile::parse(cases[0].before);
    EXPECT_FALSE(file.setValue("HKEY_LOCAL_MACHINE\\A", "P", RegValue::string("\xFF")));
}

// What a file this reader cannot rewrite gets said of it: the line and why.
TEST(RegFile, AFileItCannotReadIsToldByLineAndReason) {
    using Problem = RegFile::ParseFailure::Problem;
    struct Case {
        std::string text;
        int line;
        Problem problem;
    };
    const std::string header = "Windows Registry Editor Version 5.00\n";
    const Case cases[] = {
        {"not a registry export\n", 1, Problem::Header},
        {"\xFF\xFEW", 0, Problem::Encoding},
        {header + "\"Port\"=\"COM1\"\n", 2, Problem::ValueOutsideKey},
        {header + "[A]\n\n\"Port\"=\"COM1\n", 4, Problem::Value},
        {header + "[A]\n\"P\"=\"a\\qb\"\n", 3, Problem::Value},
        {header + "[A]\n\"N\"=dword:123456789\n", 3, Problem::Value},
        {header + "[A]\n\"B\"=hex:01,\\\n", 3, Problem::UnfinishedHex},
        {header + "[A\n", 2, Problem::Key},
        {header + "[]\n", 2, Problem::Key},
        {header + "[A]\nPort=COM1\n", 3, Problem::Value},
        {header + "[A]\n\"P\"=\"a\rb\"\n", 3, Problem::Value},
        {header + "[A]\n\"P\"=\"a\"" + std::string(1, '\0') + "\n", 3, Problem::Nul},
    };
    for (const Case& c : cases) {
        RegFile::ParseFailure failure;
        EXPECT_FALSE(RegFile::parse(c.text, &failure)) << c.text;
        EXPECT_EQ(failure.line, c.line) << c.text;
        EXPECT_EQ(failure.problem, c.problem) << c.text;
    }
}

}  // namespace
}  // namespace stela
