#include <array>
#include <csignal>
#include <fstream>
#include <map>
#include <regex>

#include "protocol/Frames.h"
#include "tests/cli/CliFixture.h"
#include "tests/support/Golden.h"
#include "tests/support/TestLanguage.h"
#include "workflows/Journal.h"

namespace stela {
namespace {

using Lines = std::vector<std::string>;

constexpr int kAddresses[] = {0, 1, 2, 3, 4, 8, 9, 10, 11, 12};
const std::vector<std::string> kAllRowsWhole = {
    "--row", "1=11.11,grade=80,caption1=no,caption2=no",
    "--row", "2=22.22,grade=92,caption1=yes,caption2=no",
    "--row", "3=33.33,grade=95,caption1=no,caption2=yes",
    "--row", "4=unused,grade=98,caption1=yes,caption2=yes",
    "--row", "5=5.5,grade=ДТ,caption1=0,caption2=0"};

class CliWriteTest : public test::CliTest {
protected:
    // Row r holds "r r r r", grade r, flags r % 4 in both halves.
    SignModel& filledSign() {
        SignModel& sign = sim.device->attachSign("COM3");
        for (int row = 1; row <= 5; ++row) {
            const char d = static_cast<char>('0' + row);
            for (int a : {firstHalfAddress(row), secondHalfAddress(row)}) {
                sign.setHalf(a, {std::string(4, d), d, static_cast<char>('0' + row % 4)});
            }
        }
        return sign;
    }
    // The write frames sent since frame `from`, each once (not its confirmation copies).
    std::vector<std::string> writeFrames(std::size_t from = 0) const {
        const Lines all = framesWritten();
        Lines out;
        for (std::size_t i = from; i < all.size(); ++i) {
            const std::string& f = all[i];
            if (f[0] == 'W' && (out.empty() || out.back() != f)) {
                out.push_back(f);
            }
        }
        return out;
    }
    Result write(std::vector<std::string> rows) {
        std::vector<std::string> args{"write", "--port", "COM3"};
        args.insert(args.end(), rows.begin(), rows.end());
        return run(args);
    }
};

TEST_F(CliWriteTest, RowsNotGivenKeepWhatTheSignHolds) {
    SignModel& sign = filledSign();
    const Result r = write({"--row", "2=12.30", "--row", "4=grade=ДТ,caption1=on"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    // Read first, as the window's grid after "Прочитать"; then the ten frames.
    EXPECT_EQ(framesWritten().front(), "R0E");
    EXPECT_EQ(writeFrames().size(), 10u);
    EXPECT_EQ(sign.half(firstHalfAddress(2)), (HalfContent{"1230", '2', '2'}));
    EXPECT_EQ(sign.half(secondHalfAddress(2)), (HalfContent{"1230", '2', '2'}));
    EXPECT_EQ(sign.half(firstHalfAddress(4)), (HalfContent{"4444", '5', '1'}));
    for (int row : {1, 3, 5}) {
        const char d = static_cast<char>('0' + row);
        EXPECT_EQ(sign.half(secondHalfAddress(row)),
                  (HalfContent{std::string(4, d), d, static_cast<char>('0' + row % 4)}));
    }
    EXPECT_NE(r.out.find("2    first   3        12.30  92     no        yes       ok"),
              std::string::npos)
        << r.out;
}

TEST_F(CliWriteTest, WholeRowsNeedNoReadFirst) {
    SignModel& sign = filledSign();
    const Result r = write(kAllRowsWhole);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(framesWritten().front()[0], 'W');
    EXPECT_EQ(sign.half(0), (HalfContent{"0550", '5', '0'}));
    EXPECT_EQ(sign.half(firstHalfAddress(4)), (HalfContent{"----", '4', '3'}));
}

TEST_F(CliWriteTest, ARowThatCouldNotBeReadIsNotWrittenBlind) {
    struct Case {
        std::vector<std::string> rows;
        int status;
    };
    const Case cases[] = {
        {{"--row", "1=45.67"}, 1},                                   // row 4 not given
        {{"--row", "4=45.67"}, 1},                                   // given, but not whole
        {{"--row", "4=45.67,grade=92,caption1=no,caption2=no"}, 0},  // whole: the sign's not needed
    };
    for (const Case& c : cases) {
        SignModel& sign = filledSign();  // a fresh sign on COM3
        sign.addFault(Fault::silence().onFrames(FrameKind::Read).forAddress(9).times(7));
        const std::size_t before = framesWritten().size();
        const Result r = write(c.rows);
        EXPECT_EQ(r.status, c.status) << c.rows[1] << "\n" << r.err;
        const std::size_t writes = writeFrames(before).size();
        if (c.status == 1) {
            EXPECT_EQ(writes, 0u) << c.rows[1];
            EXPECT_EQ(r.err,
                      "stela-cli: row 4, second half (address 9): no complete reply in 7 passes, "
                      "so row 4 cannot keep what the sign holds; give it whole (price, grade, "
                      "caption1, caption2). Nothing was written.\n");
        } else {
            EXPECT_EQ(writes, 10u);
        }
    }
}

TEST_F(CliWriteTest, AHalfTheSignNeverConfirmedFailsTheWrite) {
    SignModel& sign = filledSign();
    sign.addFault(Fault::silence().onFrames(FrameKind::Write).forAddress(12));
    const Result r = write({"--row", "1=45.67"});
    EXPECT_EQ(r.status, 1);
    const std::string frame = writeFrames()[9];
    EXPECT_EQ(addressCharacterOf(frame), '<');
    EXPECT_EQ(r.err, "stela-cli: row 1, second half (address 12): the sign did not confirm " +
                         frame +
                         "\nstela-cli: row 1: its halves differ: 45.67, grade 80, caption1 yes, "
                         "caption2 no, and 11.11, grade 80, caption1 yes, caption2 no"
                         "\nstela-cli: row 1, second half (address 12) holds 11.11, grade 80, "
                         "caption1 yes, caption2 no, not what was written (" +
                         frame + ")\n");
}

TEST_F(CliWriteTest, AConfirmationLostOnTheWayFailsTheWriteThoughTheHalfWasStored) {
    SignModel& sign = filledSign();
    sign.addFault(Fault::lostReply().onFrames(FrameKind::Write).forAddress(2));
    const Result r = write({"--row", "3=45.67"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(sign.half(2).price, "4567");
    EXPECT_EQ(r.err, "stela-cli: row 3, first half (address 2): the sign did not confirm " +
                         writeFrames()[4] + "\n");
}

TEST_F(CliWriteTest, AReadBackThatDiffersFromTheFramesFailsTheWrite) {
    SignModel& sign = filledSign();
    // The sign confirms, but what it then reads out for half 0 is something else.
    sign.addFault(Fault::replacedBy(composeReadReply('0', "9999", '1', '0', "A0"))
                      .onFrames(FrameKind::Read)
                      .forAddress(0));
    const Result r = write(kAllRowsWhole);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("row 5, first half (address 0) holds 99.99, grade 80, caption1 no, "
                         "caption2 no, not what was written (W0055050E"),
              std::string::npos)
        << r.err;
}

TEST_F(CliWriteTest, ADryRunPrintsTheFramesTheWriteThenSends) {
    SignModel& sign = filledSign();
    const std::vector<std::string> rows{"--row", "1=45.67", "--row", "5=unused"};
    std::vector<std::string> dry{"--dry-run"};
    dry.insert(dry.end(), rows.begin(), rows.end());
    const Result r = write(dry);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(writeFrames(), Lines{});
    EXPECT_EQ(sign.half(4), (HalfContent{"1111", '1', '1'}));

    ASSERT_EQ(write(rows).status, 0);
    std::string sent;
    for (const std::string& frame : writeFrames()) {
        sent += frame + "\n";
    }
    EXPECT_EQ(r.out, sent);
    EXPECT_EQ(r.out.substr(0, 12), "W0----51E" + frameChecksum("W0----51E") + "\n");

    // Whole rows need no sign at all.
    const int opens = sim.device->openCount();
    sim.port.Close();
    std::vector<std::string> whole{"--dry-run"};
    whole.insert(whole.end(), kAllRowsWhole.begin(), kAllRowsWhole.end());
    EXPECT_EQ(write(whole).status, 0);
    EXPECT_EQ(sim.device->openCount(), opens);
}

TEST_F(CliWriteTest, APricesFileWritesItsRows) {
    SignModel& sign = filledSign();
    const std::string json = home.path() + "/prices.json";
    std::ofstream(json) << R"({"rows": [{"row": 3, "price": 47.5, "grade": "ДТ"}]})";
    EXPECT_EQ(run({"write", "--port", "COM3", "--file", json}).status, 0);
    EXPECT_EQ(sign.half(firstHalfAddress(3)), (HalfContent{"4750", '5', '3'}));

    const std::string csv = home.path() + "/prices.csv";
    std::ofstream(csv) << "row,price,caption2\r\n2,,no\r\n5,01.02,yes\r\n";
    EXPECT_EQ(run({"write", "--port", "COM3", "--file", csv}).status, 0);
    EXPECT_EQ(sign.half(secondHalfAddress(2)), (HalfContent{"2222", '2', '0'}));
    EXPECT_EQ(sign.half(secondHalfAddress(5)), (HalfContent{"0102", '5', '3'}));
}

TEST_F(CliWriteTest, RowsWhoseHalvesDifferAreNotWrittenBlind) {
    SignModel& sign = filledSign();
    sign.setHalf(secondHalfAddress(3), {"3334", '3', '3'});
    const Result r = write({"--row", "1=45.67"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(writeFrames(), Lines{});
    EXPECT_EQ(r.err,
              "stela-cli: row 3: its halves differ, so row 3 cannot keep what the sign holds; give "
              "it whole (price, grade, caption1, caption2). Nothing was written.\n");
}

// What a read prints, given back: a row the read could not tell is refused
// by name, and nothing reaches the sign.
TEST_F(CliWriteTest, ARoundTripNeverWritesWhatTheReadCouldNotTell) {
    SignModel& sign = filledSign();
    sign.addFault(Fault::silence().onFrames(FrameKind::Read).forAddress(firstHalfAddress(2)));
    for (const char* format : {"json", "csv"}) {
        const Result read = run({"read", "--port", "COM3", "--format", format});
        ASSERT_EQ(read.status, 1);
        const std::string file = home.path() + "/prices." + format;
        std::ofstream(file) << read.out;
        const std::size_t before = framesWritten().size();
        const Result r = run({"write", "--port", "COM3", "--file", file});
        EXPECT_EQ(r.status, 2) << format;
        EXPECT_EQ(framesWritten().size(), before);
        EXPECT_NE(
            r.err.find(std::string(format) == "json" ? "JSON, row 2 is marked invalid"
                                                     : "CSV, line 13, row 2 is marked invalid"),
            std::string::npos)
            << r.err;
    }
    EXPECT_EQ(sign.half(secondHalfAddress(2)), (HalfContent{"2222", '2', '2'}));
}

// What a read prints, edited: a half that no longer says what its row says is
// refused by name with nothing sent, whichever of the two was edited.
TEST_F(CliWriteTest, ARoundTripRefusesAHalfAndItsRowThatDisagree) {
    // The format, an edit of the read's file (every match), and the refusal ("": written).
    const std::array<std::string, 4> cases[] = {
        {"csv", "half,1,first,4,ok,11.11", "half,1,first,4,ok,46.99", "CSV, line 2: its price"},
        {"csv", "row,1,,,,11.11", "row,1,,,,46.99", "CSV, line 2: its price"},
        {"csv", "11.11", "46.99", ""},
        {"json", R"(4,"state":"ok","price":"11.11")", R"(4,"price":"46.99")",
         "JSON, halves item 1: its price"},
        {"json", "11.11", "46.99", ""},
    };
    for (const auto& [format, from, to, refusal] : cases) {
        SignModel& sign = filledSign();
        stdinText = run({"read", "--port", "COM3", "--format", format}).out;
        for (std::size_t at; (at = stdinText.find(from)) != std::string::npos;) {
            stdinText.replace(at, from.size(), to);
        }
        const std::size_t before = framesWritten().size();
        const Result r = run({"write", "--port", "COM3", "--file", "-"});
        EXPECT_EQ(r.status, refusal.empty() ? 0 : 2) << to << r.err;
        EXPECT_EQ(r.err.find("stela-cli: --file -: " + refusal), refusal.empty() ? r.err.npos : 0);
        EXPECT_EQ(framesWritten().size() == before, !refusal.empty()) << to;
        EXPECT_EQ(sign.half(firstHalfAddress(1)).price, refusal.empty() ? "4699" : "1111") << to;
    }
}

// A spreadsheet's files (a byte-order mark, ';' with decimal commas, standard
// input) send the frames of their plain form; Excel's other forms: PriceInputTest.
TEST_F(CliWriteTest, EveryFormOfAPricesFileSendsTheSameFrames) {
    filledSign();
    const std::string plain = "row,price,grade,caption1\n1,45.67,ДТ,1\n3,5.5,none,0\n";
    const std::string forms[] = {
        plain,
        "\xEF\xBB\xBF" + plain,
        "\xEF\xBB\xBFrow;price;grade;caption1\r\n1;45,67;ДТ;1\r\n3;5,5;none;0\r\n",
        R"({"rows": [{"row": 1, "price": 45.67, "grade": "ДТ", "caption1": true},)"
        R"( {"row": 3, "price": "5.5", "grade": "none", "caption1": false}]})",
        "\xEF\xBB\xBF{\"rows\": [{\"row\": 1, \"price\": \"45.67\", \"grade\": \"ДТ\", "
        "\"caption1\": true}, {\"row\": 3, \"price\": 5.50, \"grade\": \"none\", \"caption1\": "
        "false}]}",
    };
    std::string expected;
    for (const std::string& form : forms) {
        const std::string file = home.path() + "/prices";
        std::ofstream(file, std::ios::trunc) << form;
        Result r = run({"write", "--dry-run", "--port", "COM3", "--file", file});
        EXPECT_EQ(r.status, 0) << form << r.err;
        stdinText = form;
        const Result piped = run({"write", "--dry-run", "--port", "COM3", "--file", "-"});
        EXPECT_EQ(piped.out, r.out) << form;
        if (expected.empty()) {
            expected = r.out;
            EXPECT_NE(expected.find("W4456751E"), std::string::npos) << expected;
        }
        EXPECT_EQ(r.out, expected) << form;
    }
}

// A terminal in KOI8-R: the command line comes in it, the output goes out in
// it (JSON as ASCII), and a prices file saved in it reads.
TEST_F(CliWriteTest, TheTerminalsCharsetIsTakenAndSpoken) {
    SignModel& sign = filledSign();
    charset = "KOI8-R";
    const std::string dt = "\xE4\xF4";  // ДТ
    Result r = write({"--row", "3=grade=" + dt, "--format", "csv"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(sign.half(firstHalfAddress(3)).grade, '5');
    EXPECT_NE(r.out.find("row,3,,,,33.33," + dt + ",1,1,1\n"), std::string::npos) << r.out;

    r = run({"read", "--port", "COM3", "--format", "json"});
    EXPECT_NE(r.out.find(R"("grade":"\u0414\u0422")"), std::string::npos) << r.out;

    const std::string file = home.path() + "/koi8.csv";
    std::ofstream(file) << "row,grade\n4," << dt << "\n";
    EXPECT_EQ(run({"write", "--port", "COM3", "--file", file}).status, 0);
    EXPECT_EQ(sign.half(secondHalfAddress(4)).grade, '5');

    // A spreadsheet's CSV is UTF-8 with its mark whatever the terminal takes.
    r = run({"read", "--port", "COM3", "--format", "excel"});
    EXPECT_EQ(r.out.rfind("\xEF\xBB\xBFkind;row;", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("row;3;;;;33,33;ДТ;1;1;1\n"), std::string::npos) << r.out;

    r = run({"write", "--row", "3=grade=\xFF\xFE"});  // "ЪЧ", shown as typed
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("\"\xFF\xFE\" is no grade"), std::string::npos) << r.err;
}

TEST_F(CliWriteTest, ASignalStopsTheWriteAtTheEndOfARow) {
    SignModel& sign = filledSign();
    int checks = 0;
    // Asked while row 5's second half is being written.
    stopSignal = [&checks] { return ++checks > 1 ? SIGINT : 0; };
    const Result r = write(kAllRowsWhole);
    EXPECT_EQ(r.status, 128 + SIGINT);
    EXPECT_NE(r.err.find("signal 2\nRows written and confirmed: 5.\nRows not written: 4, 3, 2, 1"),
              std::string::npos);
    EXPECT_EQ(writeFrames().size(), 2u);
    EXPECT_EQ(sign.half(0), sign.half(8));
    EXPECT_EQ(sign.half(8), (HalfContent{"0550", '5', '0'}));
    EXPECT_EQ(sign.half(1), (HalfContent{"4444", '4', '0'}));
}

}  // namespace
}  // namespace stela

namespace stela {
namespace {

// The journal's fields are the same words in Russian and English: one recipe
// ("which prices went to the sign, and were they confirmed") finds both.
TEST_F(CliWriteTest, TheJournalsFieldsAreTheSameInEveryLanguage) {
    // Row 5's second half is never confirmed, and a stop cuts the write at row 5's end.
    filledSign().addFault(Fault::silence().onFrames(FrameKind::Write).forAddress(8));
    setenv("TZ", "UTC0", 1);
    tzset();
    std::map<std::string, Lines> fields, recipe;
    for (const char* language : {"ru_RU.UTF-8", "C"}) {
        test::ScopedLanguage speaking("LANG", language);
        const std::string directory = home.path() + "/" + language;
        Journal kept(
            directory, "stela-cli", [this] { return sim.port.Port(); },
            [] { return std::chrono::system_clock::time_point(std::chrono::seconds(1796469600)); });
        journal = &kept;
        int checks = 0;
        stopSignal = [&checks] { return ++checks > 1 ? SIGINT : 0; };
        EXPECT_EQ(write(kAllRowsWhole).status, 128 + SIGINT);
        std::ifstream file(directory + "/2026-12-05.log");
        const std::regex field("^(\\S+ ){6}"),
            write("^([^ ]+ ){4}write (frame|confirmed|not-confirmed|not-sent|account) ");
        for (std::string line; std::getline(file, line);) {
            std::smatch found;
            fields[language].push_back(std::regex_search(line, found, field) ? found.str() : line);
            if (std::regex_search(line, write)) {
                recipe[language].push_back(line);
            }
        }
    }
    unsetenv("TZ");
    tzset();
    EXPECT_GT(fields["C"].size(), 40u);
    EXPECT_EQ(fields["C"], fields["ru_RU.UTF-8"]);
    test::expectGolden(recipe["ru_RU.UTF-8"], "journal-write-recipe");
    test::expectGolden(recipe["C"], "journal-write-recipe-en");
}

}  // namespace
}  // namespace stela
