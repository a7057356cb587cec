// The board search over COM1-COM255 with no device behind any name (every COMn
// linked to a missing path), through the real console, port object and clock.
// The window's log lines are left out: the view here only keeps them in memory.
#include <cstdio>
#include <string>
#include <vector>

#include "bench/Stats.h"
#include "workflows/Console.h"
#include "workflows/SignPort.h"
#include "serial/TComPort.h"
#include "tests/workflows/RecordingView.h"
#include "tests/support/ScopedConfigHome.h"

namespace {

constexpr int kRounds = 100;

}  // namespace

int main() {
    stela::test::ScopedConfigHome home;
    for (int n = 1; n <= 255; ++n) {
        home.linkCom(n, "/nonexistent/stela-bench/tty" + std::to_string(n));
    }
    stela::test::RecordingView view;
    stela::TComPort port;
    stela::loadSignPortSettings(port);
    stela::SteadyClock clock;
    stela::Console console(view, port, clock);

    std::vector<std::int64_t> rounds;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = stela::bench::nowNanos();
        console.boardSearch();
        rounds.push_back(stela::bench::nowNanos() - start);
    }
    std::printf(
        "board search over COM1-COM255, no device: median %.3f ms, max %.3f ms "
        "(%d rounds, %d notices)\n",
        stela::bench::median(rounds) / 1e6, stela::bench::maximum(rounds) / 1e6, kRounds,
        int(view.notices().size()));
    return int(view.notices().size()) == kRounds ? 0 : 1;
}
