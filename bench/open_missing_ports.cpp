// 255 Open attempts on port names with no device behind them, as the board search
// makes them (SetPort + Open, catching EComPort). Two set-ups, neither touching the
// machine's own serial devices: every COMn linked to a path that does not exist,
// and no links at all with names that have no default device (COM97 and up).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/Stats.h"
#include "serial/EComPort.h"
#include "serial/TComPort.h"
#include "tests/support/ScopedConfigHome.h"

namespace {

constexpr int kAttempts = 255;
constexpr int kRounds = 200;

// Milliseconds for each round of 255 attempts on the given names.
std::vector<std::int64_t> measure(const std::vector<std::string>& names) {
    std::vector<std::int64_t> rounds;
    stela::TComPort port;
    for (int round = 0; round < kRounds; ++round) {
        int failed = 0;
        const auto start = stela::bench::nowNanos();
        for (const std::string& name : names) {
            port.SetPort(name);
            try {
                port.Open();
            } catch (const stela::EComPort&) {
                ++failed;
            }
        }
        rounds.push_back(stela::bench::nowNanos() - start);
        if (failed != kAttempts) {
            std::fprintf(stderr, "a port opened: the set-up is wrong\n");
            std::exit(1);
        }
    }
    return rounds;
}

void report(const char* setup, const std::vector<std::int64_t>& rounds) {
    std::printf("%-40s median %.3f ms, max %.3f ms for %d attempts (%d rounds)\n", setup,
                stela::bench::median(rounds) / 1e6, stela::bench::maximum(rounds) / 1e6, kAttempts,
                kRounds);
}

}  // namespace

int main() {
    std::vector<std::string> names;
    {
        stela::test::ScopedConfigHome home;
        for (int n = 1; n <= kAttempts; ++n) {
            home.linkCom(n, "/nonexistent/stela-bench/tty" + std::to_string(n));
            names.push_back("COM" + std::to_string(n));
        }
        report("COM1-COM255, dangling links:", measure(names));
    }
    {
        stela::test::ScopedConfigHome home;
        names.clear();
        for (int i = 0; i < kAttempts; ++i) {
            names.push_back("COM" + std::to_string(97 + i % 159));
        }
        report("COM97-COM255 cycled, no links:", measure(names));
    }
    return 0;
}
