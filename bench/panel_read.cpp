// One panel-read pass (the reply reader's panel-read exchange) in real time,
// through TComPort on the port given, against a sign that answers at once
// (stela-sim --delay 0). Cycles over the ten halves; every reply must pass its
// checksum.
//   bench_panel_read PORT [PASSES]
//
// Floor: the pass's two read delays (pre-send pause, first poll) plus the wire
// time of its 17 bytes (3 out, 14 back). On a real line the reply mostly
// overlaps the poll's sleep, so only the 3 bytes out must precede it; on a
// pseudo-terminal no byte takes wire time and only the sleeps remain.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "bench/SignFigures.h"
#include "protocol/Frames.h"
#include "protocol/ReplyReader.h"

namespace {

struct DiscardedLog : stela::LogSink {
    void appendLog(const std::string&) override {}
};

}  // namespace

int main(int argc, char** argv) {
    using namespace stela;
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PORT [PASSES]\n", argv[0]);
        return 2;
    }
    const int passes = argc > 2 ? std::atoi(argv[2]) : 50;
    constexpr int kHalves[] = {0, 1, 2, 3, 4, 8, 9, 10, 11, 12};
    try {
        TComPort port;
        bench::openSignPort(port, argv[1]);
        SteadyClock clock;
        DiscardedLog log;
        ReplyReader reader(port, clock, log);

        bench::Figure figure{
            "panel-read pass", {}, 2 * kReadDelayMs + 17 * bench::kByteMs, 2.0 * kReadDelayMs};
        std::string reply;
        int failed = 0;
        for (int i = 0; i < passes; ++i) {
            const PolledExchange exchange = panelReadExchange(addressCharacter(kHalves[i % 10]));
            const auto start = bench::nowNanos();
            reader.run(exchange, reply);
            figure.samplesNs.push_back(bench::nowNanos() - start);
            failed += !checkReadReply(reply);
        }
        bench::printFigureHeader();
        bench::printFigure(figure);
        if (failed > 0) {
            std::printf("%d of %d passes got no valid reply\n", failed, passes);
            return 1;
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
        return 1;
    }
}
