// A sign behind ser2net on loopback against the same sign on its pseudo-terminal,
// in one run: stela-sim's serving loop on a pty, Debian's ser2net serving that
// pty as tcp:// and rfc2217://, and the port object taking turns on the three.
//   bench_net_port [ROUNDS]
//
// Figures:
// - "Прочитать" (the console's read of the ten halves) on each path; the
//   network's cost is the gap to the pty's median, which should stay within 2 %.
//   On a pty no byte takes wire time, so the read is its sleeps (20 x 50 ms)
//   and the sign's answers (2 ms + 14 bytes at 19200 bit/s each, inside the
//   poll's sleep).
// - open, then the first frame: from Open() until the sign has the whole
//   identification frame ("R0E"); on loopback under 20 ms. The frame's own
//   wire time is none on a pty.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <string>
#include <thread>

#include "bench/SignFigures.h"
#include "tests/support/ScopedConfigHome.h"
#include "tests/support/Ser2net.h"
#include "tests/support/ServedSign.h"
#include "tests/workflows/RecordingObserver.h"
#include "workflows/Console.h"

namespace {

using namespace stela;

// When the sign last had a whole frame, by the steady clock.
struct FrameClock : SignObserver {
    std::mutex mutex;
    std::condition_variable arrived;
    std::int64_t lastNs = 0;
    void frameReceived(const FrameEvent&) override {
        const std::lock_guard<std::mutex> lock(mutex);
        lastNs = bench::nowNanos();
        arrived.notify_all();
    }
    std::int64_t waitAfter(std::int64_t ns) {
        std::unique_lock<std::mutex> lock(mutex);
        arrived.wait_for(lock, std::chrono::seconds(2), [&] { return lastNs > ns; });
        return lastNs;
    }
};

struct Path {
    std::string name;
    std::string port;
    bench::Figure read;
    bench::Figure firstFrame;
};

bool allGreen(const ReadOutcome& read) {
    for (int row = 1; row <= 5; ++row) {
        for (Half half : {Half::First, Half::Second}) {
            if (!read.at(row, half).reply.framed) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 10;
    try {
        if (!test::Ser2net::installed()) {
            std::fprintf(stderr, "%s: ser2net is not installed\n", argv[0]);
            return 2;
        }
        test::ScopedConfigHome home;
        test::ServedSign sign;
        FrameClock frames;
        sign.model().setObserver(&frames);
        sign.start();
        test::Ser2net server(sign.devicePath());
        const double readSleepsMs = 20 * kReadDelayMs;
        Path paths[] = {
            {"pty", sign.devicePath(), {}, {}},
            {"tcp://", server.tcpUrl(), {}, {}},
            {"rfc2217://", server.rfc2217Url(), {}, {}},
        };
        for (Path& p : paths) {
            p.read = {"Прочитать, " + p.name, {}, readSleepsMs, readSleepsMs};
            p.firstFrame = {"open, 1st frame, " + p.name, {}, 20.0, 20.0};
        }
        SteadyClock clock;
        int failed = 0;
        for (int round = 0; round < rounds; ++round) {
            for (Path& p : paths) {
                TComPort port(machineDevice);
                loadSignPortSettings(port);
                port.SetPort(p.port);
                const auto start = bench::nowNanos();
                port.Open();
                port.ClearBuffers(true, true);
                port.WriteText(composeReadFrame('0'));
                p.firstFrame.samplesNs.push_back(frames.waitAfter(start) - start);
                clock.sleep_ms(50);  // its reply comes and goes with the read's first clear

                test::RecordingObserver observer;
                Console console(observer, port, clock);
                const auto readStart = bench::nowNanos();
                const ReadOutcome read = console.readPrices();
                p.read.samplesNs.push_back(bench::nowNanos() - readStart);
                failed += !allGreen(read);
                port.Close();
                // ser2net lets go of the pty a few milliseconds after a close.
                std::this_thread::sleep_for(std::chrono::milliseconds(30));
            }
        }
        sign.stop();
        bench::printFigureHeader();
        for (Path& p : paths) {
            bench::printFigure(p.read);
        }
        for (Path& p : paths) {
            bench::printFigure(p.firstFrame);
        }
        const double pty = bench::median(paths[0].read.samplesNs);
        for (int i = 1; i < 3; ++i) {
            const double net = bench::median(paths[i].read.samplesNs);
            std::printf(
                "Прочитать via %-11s %+.2f %% against the pty (median %.2f ms vs %.2f ms)\n",
                paths[i].name.c_str(), 100 * (net - pty) / pty, net / 1e6, pty / 1e6);
        }
        if (failed > 0) {
            std::printf("%d reads had halves that failed\n", failed);
            return 1;
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
        return 1;
    }
}
