// stela-cli writing to stela-sim over a pseudo-terminal whose far end vanishes,
// with the COM name's link, between the two halves of row 3, as an adapter pulled
// at that moment: the words that the vm tests check on a real FTDI adapter, here
// on a pty, naming the device that was open.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "tests/support/ScopedConfigHome.h"

namespace stela {
namespace {

// Starts `argv` with its stdout (when `out`) and stderr on pipes.
pid_t spawn(const std::vector<std::string>& args, int* out, int* err) {
    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) {
        return -1;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(outPipe[1], STDOUT_FILENO);
        dup2(errPipe[1], STDERR_FILENO);
        std::vector<char*> argv;
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    *out = outPipe[0];
    *err = errPipe[0];
    return pid;
}

std::string readAll(int fd) {
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) {
        text.append(buffer, std::size_t(n));
    }
    close(fd);
    return text;
}

TEST(CliVanishedPort, AWriteCutShortSaysWhatTheSignHolds) {
    test::ScopedConfigHome home;
    const std::string file = home.path() + "/prices.json";
    std::ofstream(file) << R"({"rows": [
        {"row": 1, "price": "11.11", "grade": "92", "caption1": false, "caption2": false},
        {"row": 2, "price": "22.22", "grade": "92", "caption1": false, "caption2": false},
        {"row": 3, "price": "33.33", "grade": "92", "caption1": false, "caption2": false},
        {"row": 4, "price": "44.44", "grade": "92", "caption1": false, "caption2": false},
        {"row": 5, "price": "55.55", "grade": "92", "caption1": false, "caption2": false}]})";

    // The second half of row 3 is never confirmed: the write waits there.
    int simOut = -1, simErr = -1;
    const pid_t sim =
        spawn({STELA_SIM_PATH, "--fault", "silence,address=10,frames=write"}, &simOut, &simErr);
    ASSERT_GT(sim, 0);
    FILE* simLog = fdopen(simOut, "r");
    char line[512];
    ASSERT_NE(fgets(line, sizeof line, simLog), nullptr);
    std::string device = line;
    device.pop_back();

    home.linkCom(3, device);
    int cliOut = -1, cliErr = -1;
    const pid_t cli =
        spawn({STELA_CLI_PATH, "write", "--port", "COM3", "--file", file}, &cliOut, &cliErr);
    ASSERT_GT(cli, 0);
    bool heard = false;
    while (!heard && fgets(line, sizeof line, simLog) != nullptr) {
        heard = std::string(line).find(" rx W:") != std::string::npos;
    }
    ASSERT_TRUE(heard) << "the second half of row 3 never reached the sign";
    kill(sim, SIGKILL);  // the far end goes away, and its link with it
    unlink((home.path() + "/stela/dosdevices/com3").c_str());
    const auto pulled = std::chrono::steady_clock::now();
    int status = -1;
    while (waitpid(cli, &status, WNOHANG) == 0 &&
           std::chrono::steady_clock::now() - pulled < std::chrono::seconds(5)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const auto took = std::chrono::steady_clock::now() - pulled;
    waitpid(sim, nullptr, 0);
    fclose(simLog);
    close(simErr);
    readAll(cliOut);

    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 3) << status;
    EXPECT_LT(took, std::chrono::seconds(1));
    const std::string said = readAll(cliErr);
    // Under C a run is English, and it names stela-cli's command, not a button.
    const std::string tail = "The connection to " + device +
                             " is lost: the adapter was unplugged or the device went away. Plug "
                             "it in again and run `stela-cli search`.\n"
                             "Rows written and confirmed: 5, 4.\n"
                             "Row 3 may show two different prices: its first half confirmed, its "
                             "second sent but not confirmed.\n"
                             "Rows not written: 2, 1 (the sign shows the old prices).\n"
                             "Write the prices again once the connection is back.\n";
    EXPECT_EQ(said.substr(0, said.find(':', 11) + 2), "stela-cli: COM3 (" + device + "): ") << said;
    EXPECT_EQ(said.substr(said.find('\n') + 1), tail) << said;
}

}  // namespace
}  // namespace stela
