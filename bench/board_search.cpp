// The board search over COM1-COM255 with no device behind any name (every COMn
// linked to a missing path), through the real console, port object and clock.
// The window's log lines are left out: the view here keeps nothing.
#include <cstdio>
#include <string>
#include <vector>

#include "bench/Stats.h"
#include "console/Console.h"
#include "console/SignPort.h"
#include "serial/ComPort.h"
#include "tests/support/ScopedConfigHome.h"

namespace {

constexpr int kRounds = 100;

class NullView final : public stela::ConsoleView {
public:
    int notices = 0;
    void appendLog(const std::string&) override {}
    void clearLog() override {}
    void setStatusText(const std::string&) override {}
    void setProgressMin(int) override {}
    void setProgressMax(int) override {}
    void setProgressPosition(int) override {}
    void processPendingEvents() override {}
    void setBusySetEnabled(bool) override {}
    std::string priceText(int) override { return "  .  "; }
    bool notUsed(int) override { return false; }
    bool caption1(int) override { return false; }
    int gradeIndex(int) override { return 0; }
    bool caption2(int) override { return false; }
    void setPriceText(int, const std::string&) override {}
    void setGradeIndex(int, int) override {}
    void setCaption1(int, bool) override {}
    void setCaption2(int, bool) override {}
    std::string brightnessDigitText() override { return " "; }
    std::string effectDigitText() override { return " "; }
    void setReadbackText(int, stela::Half, const std::string&) override {}
    void setReadbackColor(int, stela::Half, stela::Rgb) override {}
    void notice(const std::string&) override { ++notices; }
    void errorReport(const std::string& text) override {
        std::fprintf(stderr, "error: %s\n", text.c_str());
    }
};

}  // namespace

int main() {
    stela::test::ScopedConfigHome home;
    for (int n = 1; n <= 255; ++n) {
        home.linkCom(n, "/nonexistent/stela-bench/tty" + std::to_string(n));
    }
    NullView view;
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
        view.notices);
    return view.notices == kRounds ? 0 : 1;
}
