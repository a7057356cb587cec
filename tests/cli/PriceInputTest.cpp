#include <gtest/gtest.h>

#include <array>

#include "cli/Csv.h"
#include "cli/FileText.h"
#include "cli/InputError.h"
#include "cli/Json.h"
#include "cli/PriceFile.h"
#include "cli/RowChange.h"

namespace stela::cli {
namespace {

TEST(PriceInput, PricesMustFitTheField) {
    const std::pair<const char*, const char*> taken[] = {
        {"45.67", "45.67"}, {"7", "07.00"},     {"45.6", "45.60"},   {"0.5", "00.50"},
        {"99.99", "99.99"}, {"00.00", "00.00"}, {"unused", "--.--"}, {"--.--", "--.--"},
    };
    for (const auto& [text, price] : taken) {
        EXPECT_EQ(parsePrice(text, "p"), price) << text;
    }
    for (const char* refused : {"", "100", "100.00", "45.678", ".5", "5.", "-1.00", "4a.67",
                                "45,67", " 45.67", "45.67 ", "１2.00", "--.-", "UNUSED", "1e1"}) {
        EXPECT_THROW(parsePrice(refused, "p"), InputError) << refused;
    }
}

TEST(PriceInput, RowOptionsSetOnlyWhatTheyName) {
    RowChanges rows;
    parseRowOption("2=12.3", rows);
    parseRowOption("3=grade=DT,caption2=on", rows);
    parseRowOption("5=unused,grade=none,caption1=Yes,caption2=0", rows);
    EXPECT_EQ(rows[2]->price, "12.30");
    EXPECT_FALSE(rows[2]->gradeIndex || rows[2]->caption1 || rows[2]->caption2);
    EXPECT_FALSE(rows[3]->price);
    EXPECT_EQ(rows[3]->gradeIndex, 4);
    EXPECT_EQ(rows[3]->caption2, true);
    EXPECT_TRUE(rows[5]->whole());
    EXPECT_EQ(rows[5]->gradeIndex, -1);
    parseRowOption("1=4,5,grade=95", rows);  // a decimal comma
    EXPECT_EQ(rows[1]->price, "04.50");
    EXPECT_EQ(rows[1]->gradeIndex, 2);
    EXPECT_FALSE(rows[4]);
    for (const char* refused : {"2=1.00", "4", "4=", "0=1.00", "4=1.00,1.00", "4=price=1,price=2",
                                "4=grade=95,grade=95", "4=1.00,", "4=caption3=on", "4=45,678",
                                "4=45,6,7", "4=1.5,5", "4=unused,5", "4=grade=95,5"}) {
        EXPECT_THROW(parseRowOption(refused, rows), InputError) << refused;
    }
}

TEST(PriceInput, JsonIsReadStrictly) {
    for (const char* refused : {"",
                                "{",
                                "{\"rows\": []",
                                "{\"rows\": [],}",
                                "{'rows': []}",
                                "{\"rows\": [] } x",
                                "{\"rows\": [01]}",
                                "{\"rows\": [1.]}",
                                "{\"rows\": [.1]}",
                                "{\"rows\": [+1]}",
                                "{\"rows\": [tru]}",
                                "{\"rows\": [NaN]}",
                                "{\"rows\": [] /* note */}",
                                "{\"a\": 1, \"a\": 2}",
                                "[\"\\x41\"]",
                                "[\"\\ud800\"]",
                                "[\"\\udc00\\ud800\"]",
                                "[\"tab\there\"]",
                                "[\"\xC3\"]",
                                "[\"\xC0\xAF\"]",
                                "[\"\xED\xA0\x80\"]",
                                "[\"\xF4\x90\x80\x80\"]",
                                "[1] [2]",
                                "\xEF\xBB\xBF\xEF\xBB\xBF{}"}) {
        EXPECT_THROW(parseJson(refused), InputError) << refused;
    }
    const JsonValue v = parseJson(
        "\xEF\xBB\xBF {\"a\": [1, -0.5e+3, true, null, \"\\u0414\\uD83D\\uDE00\\n\", {}]}\r\n");
    const std::vector<JsonValue>& items = v.member("a")->items;
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(items[0].text, "1");
    EXPECT_EQ(items[1].text, "-0.5e+3");  // a number as written
    EXPECT_EQ(items[3].kind, JsonValue::Kind::Null);
    EXPECT_EQ(items[4].text, "Д\xF0\x9F\x98\x80\n");
    EXPECT_EQ(items[5].kind, JsonValue::Kind::Object);

    std::string deep(65, '[');
    deep += std::string(65, ']');
    EXPECT_THROW(parseJson(deep), InputError);
    std::string fine(64, '[');
    fine += std::string(64, ']');
    EXPECT_NO_THROW(parseJson(fine));
}

TEST(PriceInput, JsonErrorsSayWhere) {
    const std::pair<const char*, const char*> cases[] = {
        {"{\n  \"rows\": [\n    {\"row\": 1,}\n  ]\n}",
         "JSON, line 3, column 15: syntax error while parsing object key - unexpected '}'; "
         "expected string literal"},
        {"{\"rows\": [],\n \"rows\": []}",
         "JSON, line 2, column 7: the member \"rows\" is given twice"},
        {"[\"\xC3\"]",
         "JSON, line 1, column 4: syntax error while parsing value - invalid string: "
         "ill-formed UTF-8 byte; last read: '\"\\xC3\"'"},
    };
    for (const auto& [text, message] : cases) {
        try {
            parseJson(text);
            ADD_FAILURE() << text;
        } catch (const InputError& e) {
            EXPECT_STREQ(e.what(), message);
        }
    }
}

// Each refused file with the message that names what is wrong and where.
void expectRefused(RowChanges (*parse)(std::string_view),
                   const std::vector<std::pair<std::string, std::string>>& cases) {
    for (const auto& [text, message] : cases) {
        try {
            parse(text);
            ADD_FAILURE() << text;
        } catch (const InputError& e) {
            EXPECT_EQ(e.what(), message) << text;
        }
    }
}

TEST(PriceInput, JsonPricesFilesAreCheckedWhole) {
    const RowChanges rows = parsePriceJson(
        R"({"port": "COM1", "halves": [{"row": 5, "price": null}], "rows": [{"row": 5, "price": 1.5,)"
        R"( "grade": "none", "valid": true}, {"row": 1, "caption1": false}]})");
    EXPECT_EQ(rows[5]->price, "01.50");
    EXPECT_EQ(rows[5]->gradeIndex, -1);
    EXPECT_EQ(rows[1]->caption1, false);
    EXPECT_FALSE(rows[1]->price);

    expectRefused(
        parsePriceJson,
        {{R"([])", "JSON: expected an object with \"rows\""},
         {R"({})", "JSON: \"rows\" (a list of rows) is missing"},
         {R"({"rows": {}})", "JSON: rows must be a list"},
         {R"({"rows": [], "colour": 1})", "JSON: unknown member \"colour\""},
         {R"({"rows": [1]})", "JSON, rows item 1 is not an object"},
         {R"({"rows": [{"price": "1.00"}]})",
          "JSON, rows item 1: \"row\" (a number 1 to 5) is missing"},
         {R"({"rows": [{"row": "1"}]})", "JSON, rows item 1: row must be a number"},
         {R"({"rows": [{"row": 1.0}]})",
          "JSON, rows item 1, row: \"1.0\" is no row (1 to 5, from the top)"},
         {R"({"rows": [{"row": 1, "price": true}]})",
          "JSON, row 1, price must be a string or a number"},
         {R"({"rows": [{"row": 1, "grade": 95}]})", "JSON, row 1, grade must be a string"},
         {R"({"rows": [{"row": 1, "caption1": "yes"}]})",
          "JSON, row 1, caption1 must be true or false"},
         {R"({"rows": [{"row": 1, "valid": 1}]})", "JSON, row 1: valid must be true or false"},
         {R"({"rows": [{"row": 1, "x": 1}]})", "JSON, row 1: unknown member \"x\""},
         {R"({"rows": [{"row": 1}, {"row": 1}]})", "JSON: row 1 is given twice"},
         {R"({"rows": [{"row": 2, "price": "123"}]})",
          "JSON, row 2, price: \"123\" does not fit 99.99 (give 0.00 to 99.99, or unused)"},
         // What a read could not tell is not written.
         {R"({"rows": [{"row": 4, "valid": false, "price": "12.34"}]})",
          "JSON, row 4 is marked invalid: its halves were not both read, or differ. Give its "
          "values, or leave it out to keep what the sign holds"},
         {R"({"rows": [{"row": 3, "grade": null}]})",
          "JSON, row 3, grade is null: the read could not tell it. Give a value, or leave it out "
          "to keep what the sign holds"},
         {R"({"rows": [{"row": 1, "grade": "92"}], "halves": [{"row": 1, "grade": "95"}]})",
          "JSON, halves item 1: its grade is not what row 1 says (rows item 1); a write takes "
          "the row's values, never a half's: give both the same, or remove the half"}});
}

TEST(PriceInput, CsvPricesFilesAreCheckedWhole) {
    const RowChanges rows = parsePriceCsv("price,row,grade\n\"45.67\",1,95\n,2,\nunused,3,none");
    EXPECT_EQ(rows[1]->gradeIndex, 2);
    EXPECT_FALSE(rows[2]->price || rows[2]->gradeIndex);
    EXPECT_EQ(rows[3]->price, "--.--");

    expectRefused(
        parsePriceCsv,
        {{"", "CSV: empty (expected a header line: row,price,grade,caption1,caption2)"},
         {"price\n1.00\n", "CSV, line 1: the column \"row\" is missing"},
         {"row,row\n1,2\n", "CSV, line 1: the column \"row\" is given twice"},
         {"row,colour\n1,red\n", "CSV, line 1: unknown column \"colour\""},
         {"row,price\n1,1.00,\n", "CSV, line 2: 3 fields where the header has 2"},
         {"row,price\n\"1\n\",1.00\n2,1.00,\n", "CSV, line 4: 3 fields where the header has 2"},
         {"row,price\n1,1.00\n\n2,2.00\n", "CSV, line 3: a blank line"},
         {"row,price\n1,\"1.00\n", "CSV, line 2: a quoted field is not closed"},
         {"row,price\n1,1\"0\n", "CSV, line 2: a quote inside a field that is not quoted"},
         {"row,price\n1,\"1.00\"x\n", "CSV, line 2: text after a quoted field"},
         {"row,price\r1,1.00\r", "CSV, line 1: a carriage return without its line feed"},
         {"kind,row\nboth,1\n", "CSV, line 2: kind \"both\" is neither row nor half"},
         {"row,price\n1,1.00\n1,2.00\n", "CSV, line 3: row 1 is given twice"},
         {"row,price\n1,45,67\n", "CSV, line 2: 3 fields where the header has 2"},
         {"row,price\n1,1.00\n2,\xFF\n", "CSV, line 3: not UTF-8"},
         {"row;price;;\n1;1,00;;\n2;2,00;x;\n", "CSV, line 3: a value under no column name"},
         {"row,caption1\n1,ДАЁШЬ\n",
          "CSV, line 2, row 1, caption1: \"ДАЁШЬ\" is neither yes nor no (1/0, on/off)"},
         {"row,valid,price\n4,0,12.34\n",
          "CSV, line 2, row 4 is marked invalid: its halves were not both read, or differ. Give "
          "its values, or leave it out to keep what the sign holds"},
         {"kind,row,state,price\nhalf,2,unused,\nrow,2,,45.00\n",
          "CSV, line 2: its price is not what row 2 says (line 3); a write takes the row's "
          "values, never a half's: give both the same, or remove the half"}});
    // An empty cell says nothing; "45,67" is 45.67 where ';' separates.
    EXPECT_EQ(parsePriceCsv("kind;row;price;grade\nhalf;1;45,67;\nhalf;1;;\nrow;1;45.67;95\n")[1]
                  ->gradeIndex,
              2);
}

TEST(PriceInput, ASpreadsheetsFileReadsAsItsPlainForm) {
    const std::string plain = "row,price,grade,caption1\n1,45.67,95,1\n2,5.5,ДТ,0\n";
    const std::string forms[] = {
        "\xEF\xBB\xBF" + plain,
        "row;price;grade;caption1\r\n1;45,67;95;1\r\n2;5,5;ДТ;0\r\n",
        "\xEF\xBB\xBFrow;price;grade;caption1\n1;\"45,67\";95;1\n2;5.5;ДТ;0\n",
        "row\tprice\tgrade\tcaption1\r\n1\t45,67\t95\tИСТИНА\r\n2\t5,5\tДТ\tложь\r\n",
        " row ;price;grade;caption1;;\n1;45,67 ; 95;Да;;\n;;;;;\n2;5,5;ДТ ;НЕТ;;\n",
    };
    const RowChanges expected = parsePriceCsv(plain);
    for (const std::string& form : forms) {
        const RowChanges rows = parsePriceCsv(form);
        for (int row : {1, 2}) {
            EXPECT_EQ(rows[row]->price, expected[row]->price) << form;
            EXPECT_EQ(rows[row]->gradeIndex, expected[row]->gradeIndex) << form;
            EXPECT_EQ(rows[row]->caption1, expected[row]->caption1) << form;
        }
    }
}

// UTF-8 as it stands, else the charset --encoding names, else the locale's,
// else a Russian Excel's; a byte that decodes in none names its line.
TEST(PriceInput, AFilesCharsetIsGivenOrFound) {
    const std::string utf16("1\0;\0\x14\x04\x22\x04\n\0", 10),
        utf16be(
            "\0"
            "1\0;\x04\x14\x04\x22\0\n",
            10),
        mark = "\xEF\xBB\xBF",
        guess = " is not UTF-8 text, nor CP1251 throughout; give its charset with --encoding";
    // The bytes, --encoding and the locale's charset: the text and the charset said, or the error.
    const std::array<std::string, 5> cases[] = {
        {"1;ДТ\n", "", "KOI8-R", "1;ДТ\n", ""},
        {"1;\xC4\xD2\n", "", "UTF-8", "1;ДТ\n", "CP1251"},
        {"1;\xE4\xF4\n", "", "KOI8-R", "1;ДТ\n", "KOI8-R"},
        {"1;\xC4\xD2\n", "cp1251", "KOI8-R", "1;ДТ\n", ""},
        {utf16, "UTF-16LE", "UTF-8", "1;ДТ\n", ""},
        {utf16, "utf-16", "UTF-8", "1;ДТ\n", ""},
        {"\xFF\xFE" + utf16, "", "UTF-8", mark + "1;ДТ\n", ""},
        {"\xFE\xFF" + utf16be, "", "UTF-8", mark + "1;ДТ\n", ""},
        {"\xFE\xFF" + utf16be, "UTF-16", "UTF-8", mark + "1;ДТ\n", ""},
        {utf16be, "UTF-16BE", "UTF-8", "1;ДТ\n", ""},
        {"\xFF\xFE" + utf16 + "2", "", "UTF-8", "line 2 is not UTF-16 text", "refused"},
        {"\xFF\xFE" + utf16 + std::string("\0\xDC", 2), "", "UTF-8", "line 2 is not UTF-16 text",
         "refused"},
        {"1;ДТ\n\n3;\x98\n", "", "UTF-8", "line 3" + guess, "refused"},
        {"\xEF\xBB\xBFrow\n1;\xC4\xD2\n", "", "UTF-8", "line 2" + guess, "refused"},
        {"1\n2;\xC4\xD2\n", "UTF-8", "UTF-8", "line 2 is not UTF-8 text", "refused"},
        {"1;ДТ\n2;\x98\n", "CP1251", "UTF-8", "line 2 is not CP1251 text", "refused"},
    };
    for (const auto& [bytes, encoding, locale, text, readAs] : cases) {
        try {
            const FileText got = decodeFileText(bytes, encoding, locale);
            EXPECT_EQ(got.utf8 + "|" + got.readAs, text + "|" + readAs) << bytes;
        } catch (const InputError& error) {
            EXPECT_EQ(error.what() + std::string("|refused"), text + "|" + readAs) << bytes;
        }
    }
}

TEST(PriceInput, CsvFieldsSurviveTheirWayOut) {
    const std::vector<std::string> record{"\xEF\xBB\xBF", "a,b",        "say \"hi\"",
                                          " pad ",        "two\nlines", ""};
    const CsvTable back = parseCsv(csvLine(record) + csvLine(record));
    ASSERT_EQ(back.records.size(), 2u);
    EXPECT_EQ(back.records[0].fields, record);
    EXPECT_EQ(back.records[1].fields, record);
    EXPECT_EQ(back.records[1].line, 3);  // the first record took two lines
    EXPECT_EQ(parseCsv(csvLine({""})).records[0].fields, std::vector<std::string>{""});
}

}  // namespace
}  // namespace stela::cli
