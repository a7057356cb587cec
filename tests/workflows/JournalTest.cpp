// The operation journal: every line kept by day with its local time and port,
// old days let go, and a journal that cannot be written said, never fatal.
#include "workflows/Journal.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "tests/support/ScopedConfigHome.h"

namespace stela {
namespace {

using std::chrono::hours;
using std::chrono::milliseconds;
using Clock = std::chrono::system_clock;

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class JournalTest : public ::testing::Test {
protected:
    JournalTest() {
        setenv("TZ", "MSK-3", 1);  // +03:00 all year: local days are known
        tzset();
    }
    ~JournalTest() override {
        unsetenv("TZ");
        tzset();
    }

    Journal journal() {
        return Journal(
            journalDirectory(), "stela", [this] { return port; }, [this] { return now; });
    }
    std::string day(const std::string& name) { return readFile(journalDirectory() + "/" + name); }

    test::ScopedConfigHome home;  // XDG_STATE_HOME in it
    std::string port = "COM3";
    // 2026-03-01 20:59:59.250 UTC: 23:59:59.250 in Moscow.
    Clock::time_point now = Clock::time_point(std::chrono::seconds(1772398799)) + milliseconds(250);
};

TEST_F(JournalTest, EachLineIsAppendedToItsDaysFileAsItIsLogged) {
    Journal j = journal();
    j.appendLog("--- Читаю панель0 ---");
    port = "/dev/ttyUSB0";
    now += milliseconds(800);  // past midnight
    j.appendLog("Принял:T0456731  OK27");
    EXPECT_NE(day("2026-03-02.log"), "");  // there at once, not held until the end
    EXPECT_EQ(j.flush(), "");
    port = "";
    j.appendLog("--- Поиск табло --- ");
    EXPECT_EQ(j.flush(), "");
    EXPECT_EQ(day("2026-03-01.log"),
              "2026-03-01 23:59:59.250 COM3 stela - line --- Читаю панель0 ---\n");
    EXPECT_EQ(day("2026-03-02.log"),
              "2026-03-02 00:00:00.050 /dev/ttyUSB0 stela - line Принял:T0456731  OK27\n"
              "2026-03-02 00:00:00.050 - stela - line --- Поиск табло --- \n");
    EXPECT_EQ(journalDirectory(), home.path() + "/state/stela/journal");
}

// A stray byte would make grep take the day for binary, a line end would start
// a line, and a sign's reply may say anything: the guide's recipe (grep -E,
// fields by place) finds the frame alone.
TEST_F(JournalTest, NothingFromOutsideHidesOrForgesALine) {
    Journal j = journal();
    port = "tty\xFF a";
    j.appendTagged({LogOperation::Read, LogEvent::Reply}, "Received: write frame Z\xC3(");
    port = "COM3";
    j.appendTagged({LogOperation::Write, LogEvent::Frame}, "W0456731E20");
    j.appendLog("x\nx COM3 stela write confirmed \x1B[2J");
    EXPECT_EQ(j.flush(), "");
    const std::string text = day("2026-03-01.log"), at = "2026-03-01 23:59:59.250 ";
    EXPECT_EQ(text, at + "tty\\xFF\\x20a stela read reply Received: write frame Z\\xC3(\n" + at +
                        "COM3 stela write frame W0456731E20\n" + at +
                        "COM3 stela - line x\\x0Ax COM3 stela write confirmed \\x1B[2J\n");
    const std::regex recipe("^([^ ]+ ){4}write (frame|confirmed|not-confirmed|not-sent|account) ",
                            std::regex::extended);  // as grep -E takes it
    std::istringstream lines(text);
    std::string found;
    for (std::string line; std::getline(lines, line);) {
        found += std::regex_search(line, recipe) ? line.substr(24) : "";
    }
    EXPECT_EQ(found, "COM3 stela write frame W0456731E20");
}

TEST_F(JournalTest, DaysOlderThanNinetyOrBeyondFiftyMegabytesGoButNoOddFileTakesTheRest) {
    std::filesystem::create_directories(journalDirectory());
    const auto make = [&](const std::string& name, std::uintmax_t size) {
        std::ofstream(journalDirectory() + "/" + name) << "x";
        std::filesystem::resize_file(journalDirectory() + "/" + name, size);
    };
    const std::uintmax_t mb = 1024 * 1024;
    make("2025-12-01.log", 1);        // 90 days before 2026-03-01: kept
    make("2025-11-30.log", 1);        // 91 days: removed
    make("2026-01-10.log", 30 * mb);  // does not fit beside the next: removed
    make("2026-02-10.log", 30 * mb);
    make("2026-03-01.log", 60 * mb);  // today's own file stays, however large, and takes no day
    make("2099-01-01.log", 60 * mb);  // nor does one dated by a wrong clock
    make("notes.txt", 1);             // not the journal's
    Journal j = journal();
    j.appendLog("line");
    EXPECT_EQ(j.flush(), "");
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(journalDirectory())) {
        left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"2025-12-01.log", "2026-02-10.log", "2026-03-01.log",
                                              "2099-01-01.log", "notes.txt"}));
}

TEST_F(JournalTest, AJournalThatCannotBeWrittenIsSaidAndItsLinesDropped) {
    std::filesystem::create_directories(home.path() + "/state/stela");
    std::ofstream(home.path() + "/state/stela/journal") << "a file in the folder's place";
    Journal j = journal();
    j.appendLog("Запишу 0 панель:W0456731E20");
    EXPECT_EQ(j.flush(), journalDirectory() + "/2026-03-01.log: Not a directory");
    std::filesystem::remove(journalDirectory());
    std::filesystem::create_directories(journalDirectory());
    mkfifo((journalDirectory() + "/2026-03-01.log").c_str(), 0600);
    j.appendLog("Принял:WOK");
    // A FIFO nobody reads: refused at once, not waited on.
    EXPECT_EQ(j.flush(), journalDirectory() + "/2026-03-01.log: Operation not supported");
    std::filesystem::remove(journalDirectory() + "/2026-03-01.log");
    std::filesystem::create_symlink(home.path() + "/other", journalDirectory() + "/2026-03-01.log");
    j.appendLog("Принял:WOK");
    EXPECT_EQ(j.flush(), journalDirectory() +
                             "/2026-03-01.log: символическая ссылка, журнал по ней не пишется");
    EXPECT_FALSE(std::filesystem::exists(home.path() + "/other"));
    EXPECT_EQ(j.flush(), "");  // nothing held over
    EXPECT_FALSE(std::filesystem::exists(journalDirectory() + "/2026-03-01.log"));
}

TEST_F(JournalTest, NoLineIsLeftHalfWrittenOrGluedOntoAnother) {
    std::filesystem::create_directories(journalDirectory());
    std::ofstream(journalDirectory() + "/2026-03-01.log") << "cut off mid-";
    Journal j = journal();
    j.appendLog("a");
    rlimit before{};
    getrlimit(RLIMIT_FSIZE, &before);
    const rlimit full{60, before.rlim_max};  // the file reaches `ulimit -f` mid-line
    setrlimit(RLIMIT_FSIZE, &full);
    std::signal(SIGXFSZ, SIG_IGN);  // as the programs take their own
    j.appendLog("Запишу 0 панель:W0456731E20");
    std::signal(SIGXFSZ, SIG_DFL);
    setrlimit(RLIMIT_FSIZE, &before);
    EXPECT_EQ(day("2026-03-01.log"), "cut off mid-\n2026-03-01 23:59:59.250 COM3 stela - line a\n");
    EXPECT_EQ(j.flush(), journalDirectory() + "/2026-03-01.log: File too large");
}

}  // namespace
}  // namespace stela
