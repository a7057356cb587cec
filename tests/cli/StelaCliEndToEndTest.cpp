// stela-cli and stela-sim as processes, over a real pseudo-terminal in real time.
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

#include "cli/Json.h"
#include "tests/support/ScopedConfigHome.h"

namespace stela {
namespace {

// stela-sim registered as COM<n> in the current config home, until destroyed.
class SimOnCom {
public:
    explicit SimOnCom(int n) {
        int out[2];
        if (pipe(out) != 0) {
            throw std::runtime_error("pipe");
        }
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            const std::string com = std::to_string(n);
            execl(STELA_SIM_PATH, STELA_SIM_PATH, "--com", com.c_str(), "--quiet", nullptr);
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

private:
    pid_t pid_ = -1;
    int out_ = -1;
    bool ready_ = false;
};

struct CliRun {
    int status;
    std::string out;
};

CliRun stelaCli(const std::string& args) {
    const std::string command = std::string(STELA_CLI_PATH) + " " + args;
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        out.append(buffer, n);
    }
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

TEST(StelaCliEndToEnd, WhatAJsonFileWritesReadsBackAsJson) {
    test::ScopedConfigHome home;
    SimOnCom sim(8);
    ASSERT_TRUE(sim.ready());
    const std::string prices = R"({"rows": [
        {"row": 1, "price": "45.67", "grade": "95", "caption1": true, "caption2": false},
        {"row": 2, "price": "05.10", "grade": "ДТ", "caption1": false, "caption2": true},
        {"row": 3, "price": "--.--", "grade": "80", "caption1": false, "caption2": false},
        {"row": 4, "price": "99.99", "grade": null, "caption1": true, "caption2": true},
        {"row": 5, "price": "00.01", "grade": "98", "caption1": false, "caption2": false}
    ]})";
    const std::string file = home.path() + "/prices.json";
    std::ofstream(file) << prices;

    const auto start = std::chrono::steady_clock::now();
    const CliRun written = stelaCli("write --port COM8 --file " + file + " --format json");
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(written.status, 0);
    // Ten halves confirmed at the first poll, then the read-back: about 1.6 s on a line.
    EXPECT_LT(took, std::chrono::seconds(4));

    const CliRun read = stelaCli("read --port COM8 --format json");
    EXPECT_EQ(read.status, 0);
    const cli::JsonValue back = cli::parseJson(read.out);
    EXPECT_EQ(*back.member("rows"), *cli::parseJson(prices).member("rows")) << read.out;
    EXPECT_EQ(back.member("port")->text, "COM8");
    EXPECT_EQ(*back.member("rows"), *cli::parseJson(written.out).member("rows"));

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
        confirmed += line.find(" Принятые данные верные:WOK") != std::string::npos;
    }
    EXPECT_GT(lines, 100);
    EXPECT_EQ(confirmed, 10);
}

}  // namespace
}  // namespace stela
