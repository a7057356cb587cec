// stela-cli and stela-sim as processes, over a real pseudo-terminal in real time.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "cli/Json.h"
#include "cli/StopSignals.h"
#include "posix/DeviceOwnersPosix.h"
#include "posix/UucpLock.h"
#include "serial/ComDeviceFactory.h"
#include "serial/TComPort.h"
#include "tests/support/Minicom.h"
#include "tests/support/PtyPair.h"
#include "tests/support/ScopedConfigHome.h"
#include "tests/support/Ser2net.h"

namespace stela {
namespace {

// stela-sim registered as COM<n> in the current config home, until destroyed;
// `options` are stela-sim's (--set, --fault). What it logs of the line is kept.
class SimOnCom {
public:
    explicit SimOnCom(int n, std::vector<std::string> options = {}) {
        int out[2];
        if (pipe(out) != 0) {
            throw std::runtime_error("pipe");
        }
        options.insert(options.begin(), {STELA_SIM_PATH, "--com", std::to_string(n)});
        std::vector<char*> argv;
        for (std::string& option : options) {
            argv.push_back(option.data());
        }
        argv.push_back(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            execv(STELA_SIM_PATH, argv.data());
            _exit(127);
        }
        close(out[1]);
        out_ = out[0];
        // The first line (the device path) comes once the COM link is in place.
        pollfd p{out_, POLLIN, 0};
        ready_ = poll(&p, 1, 5000) == 1;
    }
    ~SimOnCom() {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        close(out_);
    }
    bool ready() const { return ready_; }
    // The device path, then a line for each frame received and reply sent so far.
    std::string log() {
        fcntl(out_, F_SETFL, O_NONBLOCK);
        char buffer[4096];
        for (ssize_t n; (n = read(out_, buffer, sizeof buffer)) > 0;) {
            log_.append(buffer, static_cast<std::size_t>(n));
        }
        return log_;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    bool ready_ = false;
    std::string log_;
};

struct CliRun {
    int status;
    std::string out;
};

CliRun shell(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        out.append(buffer, n);
    }
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

CliRun stelaCli(const std::string& args) {
    return shell(std::string(STELA_CLI_PATH) + " " + args);
}

// Whether `json` passes the schema the package ships, by Python's jsonschema.
bool matchesSchema(const std::string& json, const std::string& file) {
    std::ofstream(file) << json;
    const std::string command =
        "python3 -c 'import json, sys, jsonschema; "
        "jsonschema.validate(json.load(open(sys.argv[1])), json.load(open(sys.argv[2])))' " +
        file + " " STELA_SCHEMA_PATH " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

TEST(StelaCliEndToEnd, WhatAJsonFileWritesReadsBackAsJson) {
    test::ScopedConfigHome home;
    SimOnCom sim(8);
    ASSERT_TRUE(sim.ready());
    const std::string rows = R"({"rows": [
    {"row":1,"valid":true,"price":"45.67","grade":"95","caption1":true,"caption2":false},
    {"row":2,"valid":true,"price":"05.10","grade":"ДТ","caption1":false,"caption2":true},
    {"row":3,"valid":true,"price":"unused","grade":"80","caption1":false,"caption2":false},
    {"row":4,"valid":true,"price":"99.99","grade":"none","caption1":true,"caption2":true},
    {"row":5,"valid":true,"price":"00.01","grade":"98","caption1":false,"caption2":false}
  ]
}
)";
    const std::string file = home.path() + "/prices.json";
    std::ofstream(file) << rows;

    const auto start = std::chrono::steady_clock::now();
    const CliRun written = stelaCli("write --port COM8 --file " + file + " --format json");
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(written.status, 0);
    // Ten halves confirmed at the first poll, then the read-back: about 1.6 s on a line.
    EXPECT_LT(took, std::chrono::seconds(4));
    EXPECT_TRUE(matchesSchema(written.out, home.path() + "/written.json")) << written.out;

    const CliRun read = stelaCli("read --port COM8 --format json");
    EXPECT_EQ(read.status, 0);
    EXPECT_EQ(read.out.substr(read.out.find("\"rows\"")), rows.substr(1)) << read.out;
    EXPECT_EQ(read.out.rfind("{\n  \"port\": \"COM8\",\n", 0), 0u);
    EXPECT_EQ(written.out, read.out);

    // Both runs are in the day's journal, with the port on every line.
    char today[16];
    const std::time_t now = std::time(nullptr);
    std::strftime(today, sizeof today, "%Y-%m-%d", std::localtime(&now));
    std::ifstream journal(home.path() + "/state/stela/journal/" + today + ".log");
    std::string line;
    int lines = 0, confirmed = 0;
    while (std::getline(journal, line)) {
        ++lines;
        EXPECT_EQ(line.substr(24, 5), "COM8 ") << line;
        // Under the pinned C locale stela-cli speaks English.
        confirmed += line.find(" Received data are correct:WOK") != std::string::npos;
    }
    EXPECT_GT(lines, 100);
    EXPECT_EQ(confirmed, 10);
}

// What a Russian Excel saves: CP1251, ';' between fields, decimal commas.
TEST(StelaCliEndToEnd, ASpreadsheetsCp1251CsvIsWrittenAndConfirmed) {
    test::ScopedConfigHome home;
    SimOnCom sim(8);
    ASSERT_TRUE(sim.ready());
    const std::string file = home.path() + "/prices.csv";
    std::ofstream(file) << "row;price;grade;caption1;caption2\r\n1;45,67;\xC4\xD2;1;0\r\n"
                           "2;5,1;92;0;0\r\n3;unused;80;0;0\r\n4;99,99;95;1;1\r\n5;0,01;98;0;0\r\n";
    const CliRun written = stelaCli("write --port COM8 --format csv --file " + file + " 2>&1");
    EXPECT_EQ(written.status, 0) << written.out;
    EXPECT_EQ(written.out.rfind("stela-cli: --file " + file + ": not UTF-8; read as CP1251\n", 0),
              0u);
    EXPECT_NE(written.out.find("\nrow,1,,,,45.67,ДТ,1,0,1\n"), std::string::npos) << written.out;
}

TEST(StelaCliEndToEnd, ASilentHalfIsNullAndNoReplyInTheShippedSchema) {
    test::ScopedConfigHome home;
    SimOnCom sim(8, {"--fault", "silence,address=9"});
    ASSERT_TRUE(sim.ready());
    const CliRun read = stelaCli("read --port COM8 --format json");
    EXPECT_EQ(read.status, 1);
    EXPECT_NE(read.out.find(R"({"row":4,"half":"second","address":9,"state":"no-reply",)"
                            R"("price":null,"grade":null,"caption1":null,"caption2":null})"),
              std::string::npos)
        << read.out;
    EXPECT_NE(read.out.find(R"({"row":4,"valid":false,"price":"unused",)"), std::string::npos);
    EXPECT_TRUE(matchesSchema(read.out, home.path() + "/read.json")) << read.out;

    // Broken on purpose, the same output fails the schema.
    std::string broken = read.out;
    const std::string silent = R"("state":"no-reply","price":null)";
    broken.replace(broken.find(silent), silent.size(), R"("state":"no-reply","price":"XX.XX")");
    EXPECT_FALSE(matchesSchema(broken, home.path() + "/broken.json"));
}

// Standard streams the caller closed: what stela-cli prints never reaches the
// line, which hears the reads' frames and nothing else, nor a file it opens.
TEST(StelaCliEndToEnd, ClosedStandardStreamsNeverReachTheLine) {
    test::ScopedConfigHome home;
    const std::string log = home.path() + "/run.log";
    const std::string commands[] = {"write --dry-run --port COM8 --row 1=45.67 --row 5=99.99 >&-",
                                    "read --port COM8 -v --log " + log + " 2>&-",
                                    "read --port COM8 --format csv >&- 2>&-"};
    for (const std::string& command : commands) {
        SimOnCom sim(8);
        ASSERT_TRUE(sim.ready());
        EXPECT_EQ(shell(STELA_CLI_PATH " " + command).status, 0) << command;
        EXPECT_EQ(sim.log().find(" rx W"), std::string::npos) << command << sim.log();
        EXPECT_EQ(sim.log().find("no frame"), std::string::npos) << command << sim.log();
    }
    std::ifstream logged(log);
    const std::string text{std::istreambuf_iterator<char>(logged), {}};
    const std::string line = "--- Reading panel 0 ---\n";
    EXPECT_EQ(text.find(line), text.rfind(line)) << "the -v lines went to the log too";
}

// A reader gone (`| head`) stops the write at a row's end, not amid one.
TEST(StelaCliEndToEnd, OutputNobodyReadsStopsTheWriteAtARowsEnd) {
    test::ScopedConfigHome home;
    SimOnCom sim(8);
    ASSERT_TRUE(sim.ready());
    std::string write = "bash -c '" STELA_CLI_PATH " write --port COM8 -v";
    for (char row = '1'; row <= '5'; ++row) {
        write += std::string(" --row ") + row + "=4" + row + ".00,grade=95,caption1=no,caption2=no";
    }
    EXPECT_EQ(shell(write + " 2>&1 | head -c 1 >/dev/null; exit ${PIPESTATUS[0]}'").status, 141);
    EXPECT_EQ(stelaCli("read --port COM8 2>&1").status, 0);  // no row's halves differ
}

// A fault of its own keeps its action (the default, or a sanitizer's report).
TEST(StelaCliEndToEnd, ItsOwnFaultIsNoStop) {
    EXPECT_EXIT((cli::catchStopSignals(), raise(SIGSEGV), std::_Exit(0)),
                [](int status) { return !WIFEXITED(status) || WEXITSTATUS(status) != 0; }, "");
}

// The journal reaching the shell's `ulimit -f` stops nothing: the write goes
// on to its end and says that the journal was not written.
TEST(StelaCliEndToEnd, AJournalPastTheFileSizeLimitStopsNothing) {
    test::ScopedConfigHome home;
    SimOnCom sim(8);
    ASSERT_TRUE(sim.ready());
    const CliRun run = shell("ulimit -f 8; exec " STELA_CLI_PATH
                             " write --port COM8 --row 1=11.11 --row 5=55.55 2>&1 >/dev/null");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("stela-cli: journal not written: "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(": File too large\n"), std::string::npos) << run.out;
    EXPECT_NE(sim.log().find(" rx W<"), std::string::npos) << "the write went to its end";
}

// With minicom on the sign's line, stela-cli is turned away and names it; once
// minicom has gone the port is free, and stela-cli leaves no lock file behind.
TEST(StelaCliEndToEnd, APortMinicomHoldsIsAPortErrorNamingMinicom) {
    if (!test::Minicom::installed()) {
        FAIL() << "minicom is missing (scripts/deps installs it)";
    }
    if (access(UucpLock::kFolder, W_OK) != 0) {
        GTEST_SKIP() << UucpLock::kFolder << " is not writable here";
    }
    test::ScopedConfigHome home;
    SimOnCom sim(3);
    ASSERT_TRUE(sim.ready());
    const std::string device =
        std::filesystem::read_symlink(home.path() + "/stela/dosdevices/com3").string();
    {
        test::Minicom minicom(device, home.path());
        ASSERT_TRUE(minicom.waitForItsLock(5000));
        const CliRun busy = stelaCli("read --port COM3 2>&1");
        EXPECT_EQ(busy.status, 3);
        EXPECT_NE(busy.out.find(device + " is in use by minicom (pid " +
                                std::to_string(minicom.pid()) + ")."),
                  std::string::npos)
            << busy.out;
    }
    EXPECT_EQ(stelaCli("read --port COM3").status, 0);
    EXPECT_FALSE(std::filesystem::exists(UucpLock::lockPaths(device).front()));
}

// ser2net, serving a client with no lock taken, turns stela-cli away unsent.
TEST(StelaCliEndToEnd, APortSer2netServesIsBusyNamingSer2net) {
    if (!test::Ser2net::installed()) {
        FAIL() << "ser2net is missing (scripts/deps installs it)";
    }
    test::ScopedConfigHome home;
    test::PtyPair line;
    test::Ser2net server(line.slavePath());
    TComPort client(machineDevice);
    client.SetPort(server.tcpUrl());
    client.Open();
    int pid = 0;  // ser2net opens the line once it has a client
    for (int wait = 0; wait < 200 && pid == 0; ++wait, usleep(10000)) {
        pid = heldOpen(line.slavePath()).value_or(DeviceHolder{}).pid;
    }
    ASSERT_NE(pid, 0);
    const CliRun busy = stelaCli("read --port " + line.slavePath() + " 2>&1");
    EXPECT_EQ(busy.status, 3);
    EXPECT_EQ(busy.out.find("stela-cli: " + line.slavePath() +
                            ": Unable to open com port (EBUSY, Device or resource busy)\n" +
                            line.slavePath() + " is in use by another program; it is open in " +
                            "ser2net (pid " + std::to_string(pid) + ")."),
              0u)
        << busy.out;
    EXPECT_EQ(line.receive(1, 200), "");
}

// With the lock folder read-only (a mount namespace of its own), the port is
// held by flock alone: the read goes on, and its log says so once.
TEST(StelaCliEndToEnd, ALockFolderThatCannotBeWrittenIsToldInTheLog) {
    if (std::system("unshare --mount true 2>/dev/null") != 0) {
        GTEST_SKIP() << "needs a mount namespace of its own (root)";
    }
    test::ScopedConfigHome home;
    SimOnCom sim(3);
    ASSERT_TRUE(sim.ready());
    const std::string folder = std::filesystem::canonical(UucpLock::kFolder).string();
    const CliRun read = shell("unshare --mount sh -c 'mount -t tmpfs -o ro tmpfs " + folder +
                              " && exec " STELA_CLI_PATH " read --port COM3 -v' 2>&1");
    EXPECT_EQ(read.status, 0) << read.out;
    const std::string note = "No lock file for the port (" + std::string(UucpLock::kFolder) +
                             ": Read-only file system): other programs (minicom and the like) "
                             "will not see that it is in use.\n";
    EXPECT_EQ(read.out.find(note), 0u) << read.out;
    EXPECT_EQ(read.out.find(note, 1), std::string::npos);
}

// `check` on each state of the sign, with a time limit short or long: its
// status line and exit status as a monitoring plugin's must be (first line
// "STELA STATUS - text", the status word matching the exit code, performance
// data 'label'=value[UOM];warn;crit;min;max), the answer within the limit with
// the port free again, and not one write frame on the line. The times taken
// are printed.
TEST(StelaCliEndToEnd, CheckAnswersEachStateOfTheSignWithinItsTimeLimit) {
    test::ScopedConfigHome home;
    const std::string prices = home.path() + "/prices.csv";
    std::ofstream(prices) << "row,price,grade,caption1,caption2\n1,45.67,95,1,0\n2,45.67,95,1,0\n"
                             "3,45.67,95,1,0\n4,45.67,95,1,0\n5,45.67,95,1,0\n";
    std::filesystem::create_directories(home.path() + "/stela/dosdevices");
    std::filesystem::create_symlink(home.path() + "/unplugged",
                                    home.path() + "/stela/dosdevices/com9");
    const std::string fifo = home.path() + "/never-written.csv";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto perf = [](int rowsOk, int limit, const std::string& warning = "") {
        return " | rows_ok=" + std::to_string(rowsOk) + ";;;0;5 read_time=Ts;" + warning + ";;0;" +
               std::to_string(limit);
    };
    const std::string sign = "--port COM8 --file " + prices,
                      nothing = "--port COM9 --file " + prices;
    const std::string cut = "; the read was cut short by the time limit (2 s)";
    const std::string opened = ": Unable to open com port (";
    const std::vector<std::string> plain{}, wrong{"--set", "3=612031", "--set", "11=612031"},
        split{"--set", "9=456732"}, silent{"--fault", "silence"},
        silentHalf{"--fault", "silence,address=9"},
        slow{"--delay", "110"};  // every reply at the third poll
    const struct {
        const char* state;
        std::vector<std::string> sim;
        std::string args;
        int limit;
        int status;
        std::string line;   // with the time read "T"
        bool whole = true;  // else the line starts so
        bool held = false;  // another program holds the port
    } cases[] = {
        {"right", plain, sign, 2, 0, "STELA OK - 5 rows as expected" + perf(5, 2)},
        {"wrong", wrong, sign, 20, 2,
         "STELA CRITICAL - row 2 shows 61.20, expected 45.67" + perf(4, 20)},
        {"split", split, sign, 20, 2, "STELA CRITICAL - row 4 halves differ" + perf(4, 20)},
        {"silent", silent, sign, 2, 2,
         "STELA CRITICAL - no half of the sign answered" + cut + perf(0, 2)},
        {"half silent", silentHalf, sign, 2, 2,
         "STELA CRITICAL - row 4, second half (address 9) did not answer" + cut + perf(4, 2)},
        {"half silent, warned", silentHalf, sign + " --warn-unread", 20, 1,
         "STELA WARNING - row 4, second half (address 9) did not answer" + perf(4, 20)},
        {"slow", slow, sign, 2, 2, "STELA CRITICAL - row ", false},
        {"slow", slow, sign + " -w 1.5", 20, 1,
         "STELA WARNING - 5 rows as expected; the read took Ts" + perf(5, 20, "1.5")},
        {"no sign", plain, nothing, 2, 2,
         "STELA CRITICAL - COM9 (HOME/unplugged)" + opened + "ENOENT, No such file or directory)" +
             perf(0, 2)},
        {"a busy port", plain, sign, 2, 3,
         "STELA UNKNOWN - COM8 (DEVICE)" + opened + "EBUSY, Device or resource busy)", true, true},
        {"a bad file", plain, "--port COM8 --row 6=1", 2, 3,
         "STELA UNKNOWN - --row: \"6\" is no row (1 to 5, from the top)"},
        {"prices that never come", plain, "--port COM8 --file " + fifo, 2, 3,
         "STELA UNKNOWN - the time limit (2 s) ran out before the prices were read"},
    };
    const std::regex plugin(
        "STELA (OK|WARNING|CRITICAL|UNKNOWN) - [^|\n]+"
        "( \\| ('[^'=]+'|[^'= ]+)=[-0-9.]+(s|us|ms|%|B|KB|MB|TB|c)?(;[-0-9.:~@]*){0,4}"
        "( ('[^'=]+'|[^'= ]+)=[-0-9.]+(s|us|ms|%|B|KB|MB|TB|c)?(;[-0-9.:~@]*){0,4})*)?");
    const char* const words[] = {"OK", "WARNING", "CRITICAL", "UNKNOWN"};
    for (const auto& c : cases) {
        const std::string name = std::string(c.state) + " -t " + std::to_string(c.limit);
        std::vector<std::string> options{"--set", "all=456731"};
        options.insert(options.end(), c.sim.begin(), c.sim.end());
        SimOnCom sim(8, options);
        ASSERT_TRUE(sim.ready());
        const std::string device = sim.log().substr(0, sim.log().find('\n'));
        const int held = c.held ? open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK) : -1;
        flock(held, LOCK_EX);
        const auto start = std::chrono::steady_clock::now();
        // A guard of the test's own: a check that outlives its limit fails, not hangs.
        const CliRun run = shell("timeout -s KILL 30 " STELA_CLI_PATH " check -t " +
                                 std::to_string(c.limit) + " " + c.args);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        close(held);
        std::printf("check, %s: %.2f s\n", name.c_str(), took.count());
        EXPECT_LT(took.count(), c.limit) << name;
        const int port = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        EXPECT_EQ(flock(port, LOCK_EX | LOCK_NB), 0) << name;  // released
        close(port);

        std::string first = run.out.substr(0, run.out.find('\n'));
        EXPECT_TRUE(std::regex_match(first, plugin)) << name << ": " << first;
        EXPECT_EQ(first.find(std::string("STELA ") + words[c.status & 3] + " - "), 0u) << name;
        first = std::regex_replace(first, std::regex("[0-9]+\\.[0-9]{2} ?s"), "Ts");
        first = std::regex_replace(first, std::regex(home.path()), "HOME");
        first = std::regex_replace(first, std::regex(device), "DEVICE");
        EXPECT_EQ(c.whole ? first : first.substr(0, c.line.size()), c.line) << name;
        EXPECT_EQ(run.status, c.status) << name;
        EXPECT_EQ(sim.log().find(" rx W"), std::string::npos) << name << sim.log();
    }
}

}  // namespace
}  // namespace stela
