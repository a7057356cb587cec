#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "cli/InputError.h"
#include "cli/PriceFile.h"
#include "protocol/Frames.h"
#include "tests/cli/CliFixture.h"
#include "tests/support/Golden.h"
#include "tests/support/TestLanguage.h"
#include "workflows/Journal.h"

namespace stela {
namespace {

using Lines = std::vector<std::string>;

Lines linesOf(const std::string& text) {
    Lines lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

class CliReadTest : public test::CliTest {
protected:
    // Every row different; row 4's second half never answers.
    void fillSign() {
        SignModel& sign = sim.device->attachSign("COM3");
        sign.setHalf(4, {"4567", '3', '1'});
        sign.setHalf(12, {"4567", '3', '1'});
        sign.setHalf(3, {"0999", '1', '0'});
        sign.setHalf(11, {"0998", '2', '2'});
        sign.setHalf(2, {"----", '5', '3'});
        sign.setHalf(10, {"----", '5', '3'});
        sign.setHalf(1, {"1234", '2', '2'});
        sign.setHalf(9, {"5555", '2', '2'});
        sign.setHalf(0, {"0560", '0', '0'});
        sign.setHalf(8, {"0560", '0', '0'});
        sign.addFault(Fault::silence().forAddress(9));
    }
};

TEST_F(CliReadTest, PrintsTheHalvesAndTheRowsInEachFormat) {
    fillSign();
    for (const char* format : {"text", "json", "csv"}) {
        const Result r = run({"read", "--port", "COM3", "--format", format});
        EXPECT_EQ(r.status, 1) << format;
        test::expectGolden(linesOf(r.out), std::string("cli-read-") + format);
        EXPECT_EQ(r.err,
                  "stela-cli: row 2: its halves differ: 09.99, grade 80, caption1 no, caption2 no, "
                  "and 09.98, grade 92, caption1 no, caption2 yes\n"
                  "stela-cli: row 4, second half (address 9): no complete reply in 7 passes\n");
    }
}

// The node exporter's textfile, replaced whole; the status line still printed.
TEST_F(CliReadTest, CheckWritesThePrometheusTextfile) {
    fillSign();
    const std::string file = home.path() + "/stela.prom";
    const std::vector<std::string> rows{"--row", "1=45.67,grade=95", "--row", "2=09.99",
                                        "--row", "3=unused",         "--row", "4=12.34",
                                        "--row", "5=5.6,grade=none"};
    std::vector<std::string> args{"check",     "--port",        "COM3",     "--warn-unread",
                                  "--format",  "prometheus",    "--output", file,
                                  "--station", "station \"17\""};
    args.insert(args.end(), rows.begin(), rows.end());
    const Result r = run(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(
        r.out.substr(0, r.out.find(" | ")),
        "STELA CRITICAL - row 2 halves differ; row 4, second half (address 9) did not answer");
    std::ifstream metrics(file);
    test::expectGolden(linesOf({std::istreambuf_iterator<char>(metrics), {}}),
                       "cli-check-prometheus");
}

// Only a regular file is replaced or emptied. A device, a FIFO or a folder at
// the path, or at the end of a link, is left as it is and the message says
// what is there; a device takes --log's lines as they come, a FIFO nobody
// reads is refused at once. A file replaced through a link keeps the link, and
// its own mode and owner.
TEST_F(CliReadTest, NothingButAFileIsReplacedOrEmptied) {
    fillSign();
    const std::string at = home.path() + "/at";
    const struct {
        const char* make;  // in the home folder; mknod needs root
        const char* option;
        std::string said;  // "": written to
    } cases[] = {
        {"mknod at c 1 3", "--output", "not a file but a character device; left as it is"},
        {"mkfifo at", "--output", "not a file but a FIFO; left as it is"},
        {"mkdir at", "--output", "not a file but a folder; left as it is"},
        {"mkfifo at-fifo && ln -s at-fifo at", "--output", "not a file but a FIFO; left as it is"},
        {"mknod at c 1 3", "--log", ""},
        {"mkfifo at", "--log", "a FIFO nobody reads; left as it is"},
        {"mkfifo at-fifo && ln -s at-fifo at", "--log", "a FIFO nobody reads; left as it is"},
    };
    const auto shell = [this](const std::string& command) {
        return std::system(("cd " + home.path() + " && rm -rf at* && " + command).c_str()) == 0;
    };
    for (const auto& c : cases) {
        if (!shell(std::string(c.make) + " 2>/dev/null")) {
            continue;
        }
        const auto kind = std::filesystem::symlink_status(at).type();
        const Result r = run({"check", "--port", "COM3", "--row", "1=45.67", "--format",
                              "prometheus", c.option, at});
        const std::string said = "STELA UNKNOWN - " + (c.option + (" " + at)) + ": " + c.said;
        EXPECT_EQ(r.out.rfind(said, 0) == 0, !c.said.empty()) << c.option << r.out;
        EXPECT_EQ(std::filesystem::symlink_status(at).type(), kind) << c.option << r.out;
    }

    // Another owner as root only: else the owner is ours already.
    ASSERT_TRUE(
        shell("echo old >at-file && chmod 604 at-file && ln -s at-file at && "
              "{ chown 1234:5678 at-file 2>/dev/null || true; }"));
    run({"check", "--port", "COM3", "--row", "1=45.67", "--format", "prometheus", "--output", at});
    struct stat file {};
    lstat((at + "-file").c_str(), &file);
    EXPECT_TRUE(std::filesystem::is_symlink(at));
    EXPECT_EQ(file.st_mode & 07777, 0604u);
    EXPECT_EQ(std::pair(file.st_uid, file.st_gid),
              getuid() ? std::pair(getuid(), getgid()) : std::pair(1234u, 5678u));
    EXPECT_GT(file.st_size, 4);
}

// A check keeps a line in the journal when all is as expected, and the whole
// exchange before that line when it is not.
TEST_F(CliReadTest, ACheckJournalsItsExchangeOnlyWhenNotAllIsWell) {
    fillSign();
    Journal kept(home.path() + "/journal", "stela-cli", [this] { return sim.port.Port(); });
    journal = &kept;
    const auto lines = [this] {
        Lines all;
        for (const auto& day : std::filesystem::directory_iterator(home.path() + "/journal")) {
            std::ifstream in(day.path());
            for (std::string line; std::getline(in, line);) {
                all.push_back(line.substr(24));  // after the time
            }
        }
        return all;
    };
    EXPECT_EQ(run({"check", "--port", "COM3", "--row", "1=45.67"}).status, 0);
    EXPECT_EQ(lines(), Lines{"COM3 stela-cli check result STELA OK - row 1 as expected | "
                             "rows_ok=1;;;0;1 read_time=2.30s;;;0;10"});
    EXPECT_EQ(run({"check", "--port", "COM3", "--row", "4=12.34"}).status, 2);
    const Lines after = lines();
    EXPECT_GT(after.size(), 100u);
    EXPECT_EQ(std::count_if(after.begin(), after.end(),
                            [](const std::string& l) { return l.find(" read half ") != l.npos; }),
              16);  // ten halves, the silent one seven times
    EXPECT_EQ(after.back().rfind("COM3 stela-cli check result STELA CRITICAL - row 4, second", 0),
              0u);
}

// The guide (docs/stela-cli.md) shows a read's CSV; it must be what a read of that sign prints.
TEST_F(CliReadTest, TheGuidesCsvExampleIsWhatAReadPrints) {
    std::ifstream guide(STELA_CLI_GUIDE_PATH);
    std::string line, example;
    const std::string header = "kind,row,half,address,state,price,grade,caption1,caption2,valid";
    while (std::getline(guide, line) && line.find(header) == std::string::npos) {
    }
    const std::size_t indent = line.find(header);
    for (; !line.empty(); std::getline(guide, line)) {
        example += line.substr(indent) + "\n";
    }
    SignModel& sign = sim.device->attachSign("COM3");
    for (const auto& [row, content] : {std::pair{1, HalfContent{"4567", '3', '1'}},
                                       {2, HalfContent{"4710", '5', '0'}},
                                       {3, HalfContent{"----", '1', '0'}},
                                       {4, HalfContent{"5230", '2', '0'}},
                                       {5, HalfContent{"6105", '4', '2'}}}) {
        sign.setHalf(firstHalfAddress(row), content);
        sign.setHalf(secondHalfAddress(row), content);
    }
    sign.addFault(Fault::silence().forAddress(secondHalfAddress(4)));
    const Result r = run({"read", "--port", "COM3", "--format", "csv"});
    EXPECT_EQ(r.out, example);
}

TEST_F(CliReadTest, AFailedHalfSaysWhy) {
    const std::pair<Fault, std::string> cases[] = {
        {Fault::silence(), "no-reply"},
        {Fault::truncated(13), "no-reply"},
        {Fault::wrongChecksum(), "bad-checksum"},
        {Fault::replacedBy(composeReadReply('1', "1234", '1', '0', "00")), "wrong-address"},
        {Fault::replacedBy(composeReadReply('0', "12a4", '1', '0', "00")), "not-a-price"},
        {Fault::replacedBy(composeReadReply('0', "1-34", '1', '0', "00")), "not-a-price"},
        {Fault::missingOk(), "not-a-price"},
    };
    for (const auto& [fault, state] : cases) {
        SignModel& sign = sim.device->attachSign("COM3");
        sign.addFault(Fault(fault).onFrames(FrameKind::Read).forAddress(0));
        const Result r = run({"read", "--port", "COM3", "--format", "csv"});
        EXPECT_EQ(r.status, 1) << state;
        EXPECT_NE(r.out.find("\nhalf,5,first,0," + state + ",,,,,\n"), std::string::npos)
            << state << "\n"
            << r.out;
        EXPECT_NE(r.out.find("\nrow,5,,,,unused,80,0,0,0\n"), std::string::npos) << r.out;
    }
}

TEST_F(CliReadTest, WhatAReadPrintsReadsBackAsItsRows) {
    SignModel& sign = sim.device->attachSign("COM3");
    sign.setHalf(4, {"4567", '3', '1'});
    sign.setHalf(12, {"4567", '3', '1'});
    sign.setHalf(0, {"0560", '0', '0'});
    sign.setHalf(8, {"0560", '0', '0'});
    for (const char* format : {"json", "csv"}) {
        const Result r = run({"read", "--port", "COM3", "--format", format});
        ASSERT_EQ(r.status, 0) << r.err;
        const cli::RowChanges rows =
            std::string(format) == "json" ? cli::parsePriceJson(r.out) : cli::parsePriceCsv(r.out);
        EXPECT_EQ(*rows[1]->price, "45.67");
        EXPECT_EQ(*rows[1]->gradeIndex, 2);
        EXPECT_EQ(*rows[1]->caption1, true);
        EXPECT_EQ(*rows[1]->caption2, false);
        EXPECT_EQ(*rows[3]->price, "--.--");
        EXPECT_EQ(*rows[5]->gradeIndex, -1);
        EXPECT_EQ(*rows[5]->price, "05.60");
    }
}

TEST_F(CliReadTest, ARowTheReadCouldNotTellDoesNotReadBack) {
    fillSign();  // row 2's halves differ, row 4's second half is silent
    const Result json = run({"read", "--port", "COM3", "--format", "json"});
    const Result csv = run({"read", "--port", "COM3", "--format", "csv"});
    EXPECT_THROW(cli::parsePriceJson(json.out), cli::InputError);
    EXPECT_THROW(cli::parsePriceCsv(csv.out), cli::InputError);
    // A row left out of the file is kept; the others read back.
    std::string rest = csv.out;
    for (const char* line : {"row,2,,,,09.98,80,0,0,0\n", "row,4,,,,12.34,92,0,1,0\n"}) {
        rest.erase(rest.find(line), std::string(line).size());
    }
    const cli::RowChanges rows = cli::parsePriceCsv(rest);
    EXPECT_TRUE(rows[1] && rows[3] && rows[5] && !rows[2] && !rows[4]);
}

TEST_F(CliReadTest, TheOperationLogIsTheWindowsLineForLine) {
    sim.device->attachSign("COM3");
    // In Russian, the window's own words; in English, the window's English ones.
    for (const auto& [language, golden] :
         {std::pair{"ru_RU.UTF-8", "read-clean"}, std::pair{"C", "read-clean-en"}}) {
        test::ScopedLanguage speaking("LANG", language);
        const std::string logPath = home.path() + "/read.log";
        const Result r = run({"read", "--port", "COM3", "--log", logPath, "-v"});
        EXPECT_EQ(r.status, 0);
        std::ifstream file(logPath);
        const std::string written((std::istreambuf_iterator<char>(file)),
                                  std::istreambuf_iterator<char>());
        test::expectGolden(linesOf(written), golden);  // the console tests' transcript
        EXPECT_EQ(r.err, written);                     // -v: the same lines on stderr
    }
}

TEST_F(CliReadTest, WithoutAPortTheBoardSearchFindsTheSign) {
    sim.device->attachSign("COM5");
    const Result r = run({"read", "--format", "csv"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(framesWritten().front(), "R0E");  // the identification, then the read
    EXPECT_EQ(framesWritten().size(), 11u);
    EXPECT_EQ(sim.port.Port(), "COM5");
}

TEST_F(CliReadTest, TheProgressBarCountsHalvesAtMostTenTimesASecond) {
    sim.device->attachSign("COM3");
    EXPECT_EQ(run({"read", "--port", "COM3"}).err, "");
    errIsTerminal = true;
    // The counts drawn, in order.
    const auto draws = [](const std::string& err, const std::string& title) {
        Lines counts;
        const std::string start = "\r" + title + " [";
        for (std::size_t at = err.find(start); at != std::string::npos;
             at = err.find(start, at + 1)) {
            const std::size_t count = err.find("] ", at) + 2;
            counts.push_back(
                err.substr(count, err.find_first_not_of("0123456789/", count) - count));
        }
        return counts;
    };
    // A read that answers at once takes about 100 ms a half: every half is drawn.
    Result r = run({"read", "--port", "COM3"});
    EXPECT_EQ(draws(r.err, "read"), (Lines{"0/10", "1/10", "2/10", "3/10", "4/10", "5/10", "6/10",
                                           "7/10", "8/10", "9/10", "10/10"}));
    EXPECT_EQ(r.err.substr(r.err.rfind('\r') - 1), " \r");  // blanked, the cursor at its start

    // A write confirms a half about every 50 ms: two halves a draw.
    r = run({"write", "--port", "COM3", "--row", "1=1.00,grade=80,caption1=no,caption2=no", "--row",
             "2=2.00,grade=80,caption1=no,caption2=no", "--row",
             "3=3.00,grade=80,caption1=no,caption2=no", "--row",
             "4=4.00,grade=80,caption1=no,caption2=no", "--row",
             "5=5.00,grade=80,caption1=no,caption2=no"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(draws(r.err, "write"), (Lines{"0/10", "2/10", "4/10", "6/10", "8/10", "10/10"}));

    // With -v the log lines take the bar's line and it comes back below them.
    r = run({"read", "--port", "COM3", "-v"});
    const std::string blanked = "\r" + std::string(42, ' ') + "\r";  // "read [...] 0/10"
    EXPECT_NE(r.err.find(blanked + "--- Reading panel 0 ---\n"), std::string::npos) << r.err;
}

TEST_F(CliReadTest, ASignalStopsTheReadAtItsNextStep) {
    sim.device->attachSign("COM3");
    int checks = 0;
    stopSignal = [&checks] { return ++checks > 2 ? SIGTERM : 0; };  // after two halves
    const Result r = run({"read", "--port", "COM3"});
    EXPECT_EQ(r.status, 128 + SIGTERM);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "stela-cli: stopped by signal 15\n");
    EXPECT_EQ(framesWritten(), (Lines{"R0E", "R1E"}));
}

}  // namespace
}  // namespace stela
