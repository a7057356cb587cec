// "Прочитать" and "Записать" in real time: the console's workflows on a window
// with no screen (the workflow tests' recording observer), through TComPort on the
// port given, against a sign that answers at once (stela-sim --delay 0). Also
// the process's CPU time (user + system) over each set of runs.
//   bench_price_workflows PORT [RUNS]
//
// Floors at 19200 bit/s (one byte 0.521 ms):
// - read of the ten halves: 20 read delays (each half's pause and first poll)
//   plus the wire time of 10 x 17 bytes (frame and reply), 1088.5 ms. (The
//   reply arrives during the poll's sleep, so a line needs only 1015.6 ms.)
// - "Записать" (write, then the read-back), as the work must happen on a line:
//   each of the 10 write steps sends its frame and the confirmation's copy
//   (2 x 11 bytes, each write waiting until the bytes have left) and sleeps
//   one poll (50 ms), within which the 5-byte "WOK" reply (2.6 ms) arrives;
//   each of the 10 half reads sleeps its pause, sends its 3 bytes and sleeps
//   one poll, within which the 14-byte reply (7.3 ms) arrives. 10 x (50 + 22
//   bytes) + 10 x (100 + 3 bytes) = 614.6 + 1015.6 = 1630.2 ms, of which
//   1500 ms are sleeps.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <stdexcept>
#include <string>

#include "bench/SignFigures.h"
#include "protocol/ReplyReader.h"
#include "tests/workflows/RecordingObserver.h"
#include "workflows/Console.h"

namespace {

using namespace stela;

constexpr int kHalves = 10;
const std::string kReadHeader = "--- Читаю панель";
const std::string kConfirmationHeader = "--- Жду ответ после записи данных ---";

int linesStartingWith(const test::RecordingObserver& observer, const std::string& prefix) {
    int n = 0;
    for (const std::string& line : observer.log) {
        n += line.rfind(prefix, 0) == 0;
    }
    return n;
}

// The price written to `row` in run `run`: digits 1-9 only, so that the masked
// field's text is the price itself.
std::string priceFor(int row, int run) {
    const char r = char('0' + row), d = char('1' + run % 9);
    return {r, d, '.', r, d};
}

struct Runs {
    bench::Figure figure;
    std::int64_t wallNs = 0;
    std::int64_t cpuNs = 0;
    int repeats = 0;  // read passes and confirmation attempts beyond the first
};

// Runs `workflow` (writing `rows` or not, reading back) `count` times on a
// fresh log, timing each run and the CPU time of them all. After each run
// every half must have been read and, when `writes` is set, hold the price
// written to its row.
Runs measure(test::RecordingObserver& observer, bench::Figure figure, int count, bool writes,
             const std::function<ReadOutcome(const PriceRows& rows)>& workflow) {
    Runs runs{std::move(figure)};
    const auto cpuStart = bench::cpuNanos();
    for (int run = 0; run < count; ++run) {
        const PriceRows rows = [run](int row) {
            return PriceRowInputs{priceFor(row, run), false, 0, false, false};
        };
        observer.log.clear();
        observer.calls.clear();
        const auto start = bench::nowNanos();
        const ReadOutcome read = workflow(rows);
        const auto took = bench::nowNanos() - start;
        runs.figure.samplesNs.push_back(took);
        runs.wallNs += took;

        for (int row = 1; row <= 5; ++row) {
            for (Half half : {Half::First, Half::Second}) {
                const ReadReply& got = read.at(row, half).reply;
                if (!got.framed || (writes && got.priceText() != priceFor(row, run))) {
                    throw std::runtime_error(runs.figure.name + ", run " + std::to_string(run + 1) +
                                             ": row " + std::to_string(row) + " shows " +
                                             got.priceText());
                }
            }
        }
        runs.repeats += linesStartingWith(observer, kReadHeader) - kHalves;
        if (writes) {
            runs.repeats += linesStartingWith(observer, kConfirmationHeader) - kHalves;
        }
    }
    runs.cpuNs = bench::cpuNanos() - cpuStart;
    return runs;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PORT [RUNS]\n", argv[0]);
        return 2;
    }
    const int count = argc > 2 ? std::atoi(argv[2]) : 5;
    try {
        TComPort port;
        bench::openSignPort(port, argv[1]);
        SteadyClock clock;
        test::RecordingObserver observer;
        Console console(observer, port, clock);

        const double byte = bench::kByteMs;
        const Runs read = measure(
            observer,
            {"read of the ten halves", {}, 20 * kReadDelayMs + 10 * 17 * byte, 20.0 * kReadDelayMs},
            count, false, [&](const PriceRows&) { return console.readPrices(); });
        const Runs write =
            measure(observer,
                    {"Записать with read-back",
                     {},
                     10 * (kReadDelayMs + 22 * byte) + 10 * (2 * kReadDelayMs + 3 * byte),
                     30.0 * kReadDelayMs},
                    count, true, [&](const PriceRows& rows) {
                        // As the window runs "Записать".
                        console.writePrices(rows);
                        return console.readPrices();
                    });

        bench::printFigureHeader();
        for (const Runs* r : {&read, &write}) {
            bench::printFigure(r->figure);
        }
        for (const Runs* r : {&read, &write}) {
            std::printf("%s: CPU %.2f ms in %.2f ms = %.2f %%; repeated exchanges: %d\n",
                        r->figure.name.c_str(), r->cpuNs / 1e6, r->wallNs / 1e6,
                        100.0 * double(r->cpuNs) / double(r->wallNs), r->repeats);
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
        return 1;
    }
}
