#include <gtest/gtest.h>

#include "cli/Csv.h"
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
    EXPECT_FALSE(rows[1] || rows[4]);
    for (const char* refused : {"2=1.00", "4", "4=", "0=1.00", "4=1.00,1.00", "4=price=1,price=2",
                                "4=grade=95,grade=95", "4=1.00,", "4=caption3=on"}) {
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
                                "\xEF\xBB\xBF{}"}) {
        EXPECT_THROW(parseJson(refused), InputError) << refused;
    }
    const JsonValue v =
        parseJson(" {\"a\": [1, -0.5e+3, true, null, \"\\u0414\\uD83D\\uDE00\\n\"]}\r\n");
    ASSERT_EQ(v.member("a")->items.size(), 5u);
    EXPECT_EQ(v.member("a")->items[1].text, "-0.5e+3");
    EXPECT_EQ(v.member("a")->items[4].text, "Д\xF0\x9F\x98\x80\n");
    EXPECT_EQ(parseJson(toJson(v)), v);
    EXPECT_EQ(parseJson(toJson(v, 2)), v);

    std::string deep(65, '[');
    deep += std::string(65, ']');
    EXPECT_THROW(parseJson(deep), InputError);
    std::string fine(64, '[');
    fine += std::string(64, ']');
    EXPECT_NO_THROW(parseJson(fine));
}

TEST(PriceInput, JsonErrorsSayWhere) {
    try {
        parseJson("{\n  \"rows\": [\n    {\"row\": 1,}\n  ]\n}");
        FAIL();
    } catch (const InputError& e) {
        EXPECT_STREQ(e.what(), "JSON, line 3, column 15: expected a member name in double quotes");
    }
}

TEST(PriceInput, PricesFilesAreCheckedWhole) {
    const RowChanges rows = parsePriceJson(
        R"({"port": "COM1", "halves": [], "rows": [{"row": 5, "price": 1.5, "grade": null},)"
        R"( {"row": 1, "caption1": false}]})");
    EXPECT_EQ(rows[5]->price, "01.50");
    EXPECT_EQ(rows[5]->gradeIndex, -1);
    EXPECT_EQ(rows[1]->caption1, false);
    EXPECT_FALSE(rows[1]->price);

    for (const char* refused :
         {R"([])", R"({})", R"({"rows": {}})", R"({"rows": [], "colour": 1})",
          R"({"rows": [{"price": "1.00"}]})", R"({"rows": [{"row": "1"}]})",
          R"({"rows": [{"row": 1.0}]})", R"({"rows": [{"row": 1, "price": true}]})",
          R"({"rows": [{"row": 1, "caption1": "yes"}]})", R"({"rows": [{"row": 1, "x": 1}]})",
          R"({"rows": [{"row": 1}, {"row": 1}]})",
          R"({"rows": [{"row": 1}, {"row": 2, "price": "123"}]})"}) {
        EXPECT_THROW(parsePriceJson(refused), InputError) << refused;
    }

    const RowChanges fromCsv = parsePriceCsv("price,row,grade\n\"45.67\",1,95\n,2,\n--.--,3,none");
    EXPECT_EQ(fromCsv[1]->gradeIndex, 2);
    EXPECT_FALSE(fromCsv[2]->price || fromCsv[2]->gradeIndex);
    EXPECT_EQ(fromCsv[3]->price, "--.--");
    for (const char* refused :
         {"", "price\n1.00\n", "row,row\n1,2\n", "row,colour\n1,red\n", "row,price\n1,1.00,\n",
          "row,price\n1,1.00\n\n2,2.00\n", "row,price\n1,\"1.00\n", "row,price\n1,1\"0\n",
          "row,price\n1,\"1.00\"x\n", "row,price\r1,1.00\r", "kind,row\nboth,1\n",
          "row,price\n1,1.00\n1,2.00\n"}) {
        EXPECT_THROW(parsePriceCsv(refused), InputError) << refused;
    }
}

TEST(PriceInput, CsvFieldsSurviveTheirWayOut) {
    const CsvRecord record{"plain", "a,b", "say \"hi\"", " pad ", "two\nlines", ""};
    const auto back = parseCsv(csvLine(record) + csvLine(record));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0], record);
    EXPECT_EQ(back[1], record);
    EXPECT_EQ(parseCsv(csvLine({""})), std::vector<CsvRecord>{{""}});
}

}  // namespace
}  // namespace stela::cli
