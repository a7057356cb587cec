#include <csignal>
#include <fstream>

#include "cli/PriceFile.h"
#include "tests/cli/CliFixture.h"
#include "tests/support/Golden.h"

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

TEST_F(CliReadTest, PrintsTheHalvesAndTheGridInEachFormat) {
    fillSign();
    for (const char* format : {"text", "json", "csv"}) {
        const Result r = run({"read", "--port", "COM3", "--format", format});
        EXPECT_EQ(r.status, 1) << format;
        test::expectGolden(linesOf(r.out), std::string("cli-read-") + format);
        EXPECT_EQ(r.err,
                  "stela-cli: row 4, second half (address 9) shows XX.XX: no reply that passed its "
                  "checksum\n");
    }
}

TEST_F(CliReadTest, WhatAReadPrintsReadsBackAsTheGridsRows) {
    fillSign();
    for (const char* format : {"json", "csv"}) {
        const Result r = run({"read", "--port", "COM3", "--format", format});
        const cli::RowChanges rows =
            std::string(format) == "json" ? cli::parsePriceJson(r.out) : cli::parsePriceCsv(r.out);
        ASSERT_TRUE(rows[1] && rows[5]) << format;
        EXPECT_EQ(*rows[1]->price, "45.67");
        EXPECT_EQ(*rows[1]->gradeIndex, 2);
        EXPECT_EQ(*rows[1]->caption1, true);
        EXPECT_EQ(*rows[2]->price, "09.98");  // the second half's price wins
        EXPECT_EQ(*rows[2]->gradeIndex, 0);   // the first half's grade
        EXPECT_EQ(*rows[3]->price, "--.--");
        EXPECT_EQ(*rows[4]->price, "12.34");  // the failed second half left it
        EXPECT_EQ(*rows[5]->gradeIndex, -1);
        EXPECT_EQ(*rows[5]->price, "05.60");
    }
}

TEST_F(CliReadTest, TheOperationLogIsTheWindowsLineForLine) {
    sim.device->attachSign("COM3");
    const std::string logPath = home.path() + "/read.log";
    const Result r = run({"read", "--port", "COM3", "--log", logPath, "-v"});
    EXPECT_EQ(r.status, 0);
    std::ifstream file(logPath);
    const std::string written((std::istreambuf_iterator<char>(file)),
                              std::istreambuf_iterator<char>());
    test::expectGolden(linesOf(written), "read-clean");  // the console tests' transcript
    EXPECT_EQ(r.err, written);                           // -v: the same lines on stderr
}

TEST_F(CliReadTest, WithoutAPortTheBoardSearchFindsTheSign) {
    sim.device->attachSign("COM5");
    const Result r = run({"read", "--format", "csv"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(framesWritten().front(), "R0E");  // the identification, then the read
    EXPECT_EQ(framesWritten().size(), 11u);
    EXPECT_EQ(sim.port.Port(), "COM5");
}

TEST_F(CliReadTest, TheProgressBarIsDrawnOnlyOnATerminalAndClearedAtTheEnd) {
    sim.device->attachSign("COM3");
    EXPECT_EQ(run({"read", "--port", "COM3"}).err, "");
    errIsTerminal = true;
    const Result r = run({"read", "--port", "COM3"});
    EXPECT_NE(r.err.find("\rread  [###"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("] 8/8"), std::string::npos);
    const std::size_t lastReturn = r.err.rfind('\r');
    EXPECT_EQ(r.err.substr(lastReturn - 1), " \r");  // the line blanked, the cursor at its start
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
