// stela-cli and stela-sim as processes, over a real pseudo-terminal in real time.
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "cli/Json.h"
#include "serial/posix/UucpLock.h"
#include "tests/support/Minicom.h"
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
}

// With minicom on the sign's line, stela-cli is turned away and names it; once
// minicom has gone the port is free, and stela-cli leaves no lock file behind.
TEST(StelaCliEndToEnd, APortMinicomHoldsIsAPortErrorNamingMinicom) {
    if (!test::Minicom::installed()) {
        GTEST_SKIP() << "minicom is not installed (scripts/deps installs it)";
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
        EXPECT_NE(busy.out.find(device + " занят программой minicom (pid " +
                                std::to_string(minicom.pid()) + ")."),
                  std::string::npos)
            << busy.out;
    }
    EXPECT_EQ(stelaCli("read --port COM3").status, 0);
    EXPECT_FALSE(std::filesystem::exists(UucpLock::lockPaths(device).front()));
}

}  // namespace
}  // namespace stela
