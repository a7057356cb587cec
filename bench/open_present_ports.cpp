// The board search's open attempts where devices are present: COM1-COM32 lead to
// pseudo-terminals (as COM1-COM32 lead to /dev/ttyS0-31 on most PCs), COM33-COM255
// to paths that do not exist. Each round makes the 255 attempts as the search makes
// them (SetPort + Open, catching EComPort), without the exchange. Opening a present
// device looks through /proc for another program that has it open, so the figure
// depends on how many processes and descriptors the machine has: they are printed
// with it.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/Stats.h"
#include "os/DirectoryListing.h"
#include "serial/EComPort.h"
#include "serial/TComPort.h"
#include "tests/support/PtyPair.h"
#include "tests/support/ScopedConfigHome.h"

namespace {

constexpr int kNames = 255;
constexpr int kPresent = 32;
constexpr int kRounds = 50;

bool isNumber(const std::string& name) {
    return name.find_first_not_of("0123456789") == std::string::npos;
}

// Processes and open descriptors that /proc shows this process.
void printProcSize() {
    int processes = 0;
    std::size_t descriptors = 0;
    for (const std::string& pid : stela::directoryNames("/proc")) {
        if (isNumber(pid)) {
            ++processes;
            descriptors += stela::directoryNames("/proc/" + pid + "/fd").size();
        }
    }
    std::printf("/proc: %d processes, %zu descriptors readable\n", processes, descriptors);
}

}  // namespace

int main() {
    stela::test::ScopedConfigHome home;
    std::vector<std::unique_ptr<stela::test::PtyPair>> lines;
    for (int n = 1; n <= kNames; ++n) {
        if (n <= kPresent) {
            lines.push_back(std::make_unique<stela::test::PtyPair>());
            home.linkCom(n, lines.back()->slavePath());
        } else {
            home.linkCom(n, "/nonexistent/stela-bench/tty" + std::to_string(n));
        }
    }
    printProcSize();
    stela::TComPort port;
    std::vector<std::int64_t> rounds, cpu;
    for (int round = 0; round < kRounds; ++round) {
        int opened = 0;
        const auto start = stela::bench::nowNanos();
        const auto cpuStart = stela::bench::cpuNanos();
        for (int n = 1; n <= kNames; ++n) {
            try {
                port.SetPort("COM" + std::to_string(n));
                port.Open();
                ++opened;
            } catch (const stela::EComPort&) {
            }
        }
        port.Close();
        rounds.push_back(stela::bench::nowNanos() - start);
        cpu.push_back(stela::bench::cpuNanos() - cpuStart);
        if (opened != kPresent) {
            std::fprintf(stderr, "%d ports opened, not %d: the set-up is wrong\n", opened,
                         kPresent);
            return 1;
        }
    }
    // CPU time says more than wall time on a loaded machine.
    const double median = stela::bench::median(cpu);
    std::printf(
        "COM1-COM255, %d present: median %.3f ms wall, %.3f ms CPU per round "
        "(%.3f ms CPU per present port; %d rounds)\n",
        kPresent, stela::bench::median(rounds) / 1e6, median / 1e6, median / 1e6 / kPresent,
        kRounds);
    return 0;
}
