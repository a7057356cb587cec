// The board search over COM1-COM255 with no device behind any name (every COMn
// linked to a missing path), through the real console, port object and clock.
// The window's log lines are left out: the observer here only keeps them in memory.
#include <cstdio>
#include <string>
#include <vector>

#include "bench/Stats.h"
#include "serial/TComPort.h"
#include "tests/support/ScopedConfigHome.h"
#include "tests/workflows/RecordingObserver.h"
#include "workflows/Console.h"
#include "workflows/SignPort.h"

namespace {

constexpr int kRounds = 100;

}  // namespace

int main() {
    stela::test::ScopedConfigHome home;
    for (int n = 1; n <= 255; ++n) {
        home.linkCom(n, "/nonexistent/stela-bench/tty" + std::to_string(n));
    }
    stela::test::RecordingObserver observer;
    stela::TComPort port;
    stela::loadSignPortSettings(port);
    stela::SteadyClock clock;
    stela::Console console(observer, port, clock);

    std::vector<std::int64_t> rounds;
    int searched = 0;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = stela::bench::nowNanos();
        searched += console.boardSearch().port.empty();
        rounds.push_back(stela::bench::nowNanos() - start);
    }
    std::printf(
        "board search over COM1-COM255, no device: median %.3f ms, max %.3f ms "
        "(%d rounds, %d searches found none)\n",
        stela::bench::median(rounds) / 1e6, stela::bench::maximum(rounds) / 1e6, kRounds, searched);
    return searched == kRounds ? 0 : 1;
}
