// What the port's event monitor costs, through TComPort on the port given,
// against a sign that answers at once (stela-sim --delay 0):
// - Close with the monitor running and a batch handed over and waiting: a read
//   frame was written, the reply came in, and nobody let events run. Target:
//   under 5 ms.
// - "Прочитать" of the ten halves with the monitor delivering at the progress
//   steps, and the same read with no monitor (Events empty), alternating, in
//   one run. Target: the medians within 0.5 % of each other.
//   bench_event_monitor PORT [CLOSES] [READS]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <thread>
#include <vector>

#include "bench/SignFigures.h"
#include "protocol/ReplyReader.h"
#include "tests/support/ManualDispatcher.h"
#include "tests/workflows/RecordingObserver.h"
#include "workflows/Console.h"

namespace {

using namespace stela;

std::vector<std::int64_t> closeLatency(TComPort& port, test::ManualDispatcher& dispatcher,
                                       int cycles) {
    std::vector<std::int64_t> samplesNs;
    const std::string frame = panelReadExchange(addressCharacter(0)).frame;
    for (int i = 0; i < cycles; ++i) {
        const int posted = dispatcher.posted();
        port.Open();
        port.WriteText(frame);
        if (!dispatcher.waitForPosts(posted + 1)) {
            throw std::runtime_error("the monitor handed nothing over");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));  // the reply is in
        const auto start = bench::nowNanos();
        port.Close();
        samplesNs.push_back(bench::nowNanos() - start);
        dispatcher.runPending();  // the posted calls, with nothing left to do
    }
    return samplesNs;
}

void expectAllGreen(const ReadOutcome& read) {
    for (int row = 1; row <= 5; ++row) {
        for (Half half : {Half::First, Half::Second}) {
            if (!read.at(row, half).reply.framed) {
                throw std::runtime_error("row " + std::to_string(row) + " not read");
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PORT [CLOSES] [READS]\n", argv[0]);
        return 2;
    }
    const int closes = argc > 2 ? std::atoi(argv[2]) : 200;
    const int reads = argc > 3 ? std::atoi(argv[3]) : 5;
    try {
        TComPort port;
        bench::openSignPort(port, argv[1]);
        port.Close();
        auto dispatcher = std::make_shared<test::ManualDispatcher>();
        port.SetEventDispatcher(dispatcher);
        const std::vector<std::int64_t> close = closeLatency(port, *dispatcher, closes);

        SteadyClock clock;
        test::RecordingObserver observer;
        observer.onStopNow = [&] {
            dispatcher->runPending();
            return false;
        };
        Console console(observer, port, clock);
        const double floor = 20 * kReadDelayMs + 10 * 17 * bench::kByteMs;
        bench::Figure with{"read, monitor running", {}, floor, 20.0 * kReadDelayMs};
        bench::Figure without{"read, no monitor", {}, floor, 20.0 * kReadDelayMs};
        int delivered = 0;
        port.OnTxEmpty = [&](TCustomComPort&) { ++delivered; };
        for (int run = 0; run < 2 * reads; ++run) {
            const bool monitored = run % 2 == 0;
            port.SetEvents(monitored ? allComEvents : TComEvents{});
            port.Open();
            const auto start = bench::nowNanos();
            const ReadOutcome read = console.readPrices();
            (monitored ? with : without).samplesNs.push_back(bench::nowNanos() - start);
            expectAllGreen(read);
            port.Close();
        }

        bench::printFigureHeader();
        for (const bench::Figure* f : {&with, &without}) {
            bench::printFigure(*f);
        }
        const double withMs = bench::median(with.samplesNs) / 1e6;
        const double withoutMs = bench::median(without.samplesNs) / 1e6;
        std::printf(
            "Close with a batch waiting: median %.3f ms, max %.3f ms over %d cycles "
            "(target: under 5 ms)\n",
            bench::median(close) / 1e6, bench::maximum(close) / 1e6, closes);
        std::printf(
            "read with the monitor: %+.3f %% against without (target: within 0.5 %%); %d batches "
            "with evTxEmpty dispatched\n",
            100 * (withMs - withoutMs) / withoutMs, delivered);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
        return 1;
    }
}
