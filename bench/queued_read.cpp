// QueuedInputCount + ReadText of 14 queued bytes through TComPort on a
// pseudo-terminal, against the raw system calls (FIONREAD + read) on the same
// descriptor. The bytes are queued in the driver before each timed call.
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/Stats.h"
#include "serial/TComPort.h"
#include "posix/PosixComDevice.h"
#include "tests/support/PtyPair.h"
#include "tests/support/ScopedConfigHome.h"

int main() {
    constexpr int kSamples = 2000;
    const std::string reply = "T0----10OK0E\x31\x41";  // 14 bytes, a read reply's size

    stela::test::ScopedConfigHome home;
    stela::test::PtyPair pty;
    home.linkCom(7, pty.slavePath());
    auto owned = std::make_unique<stela::PosixComDevice>();
    const stela::PosixComDevice& device = *owned;
    stela::TComPort port(std::move(owned));
    port.SetPort("COM7");
    port.SetBaudRate(stela::br19200);
    port.SetDiscardNull(true);
    port.Open();

    std::vector<std::int64_t> viaPort, raw;
    std::string text;
    char buffer[64];
    for (int i = 0; i < kSamples; ++i) {
        pty.send(reply);
        auto start = stela::bench::nowNanos();
        const int queued = port.QueuedInputCount();
        const int got = port.ReadText(text, 14);
        viaPort.push_back(stela::bench::nowNanos() - start);

        pty.send(reply);
        start = stela::bench::nowNanos();
        int waiting = 0;
        ioctl(device.fileDescriptor(), FIONREAD, &waiting);
        const ssize_t n = read(device.fileDescriptor(), buffer, std::size_t(waiting));
        raw.push_back(stela::bench::nowNanos() - start);

        if (queued != 14 || got != 14 || text != reply || waiting != 14 || n != 14) {
            std::fprintf(stderr, "sample %d: unexpected counts %d %d %d %zd\n", i, queued, got,
                         waiting, n);
            return 1;
        }
    }
    const double portMedian = stela::bench::median(viaPort);
    const double rawMedian = stela::bench::median(raw);
    std::printf("QueuedInputCount + ReadText(14): median %.2f us\n", portMedian / 1e3);
    std::printf("FIONREAD + read(14):             median %.2f us\n", rawMedian / 1e3);
    std::printf("ratio %.2f (%d samples each)\n", portMedian / rawMedian, kSamples);
    return 0;
}
