#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/Stats.h"
#include "workflows/SignPort.h"
#include "serial/TComPort.h"

// What the real-time programs share: the port as the window sets it up, the
// line's byte time, and one table row per figure.
namespace stela::bench {

// One byte at 19200 bit/s, 8N1 (start, 8 data, stop: 10 bits).
constexpr double kByteMs = 10 * 1000.0 / 19200;

// The port object as the main window sets it up for the sign, opened on `name`:
// a COM name (resolved through the dosdevices links) or a device path.
inline void openSignPort(TComPort& port, const std::string& name) {
    loadSignPortSettings(port);
    port.SetPort(name);
    port.Open();
}

// A figure against two lower bounds: `floorMs`, the floor it is judged against
// (each program says how it is made up), and `sleptMs`, the sleeps alone: on a
// pseudo-terminal writes take no wire time, so that is all that is left of it.
struct Figure {
    std::string name;
    std::vector<std::int64_t> samplesNs;
    double floorMs;
    double sleptMs;
};

inline std::size_t utf8Length(const std::string& text) {
    std::size_t n = 0;
    for (unsigned char c : text) {
        n += (c & 0xC0) != 0x80;
    }
    return n;
}

inline void printFigureHeader() {
    std::printf("%-28s %4s %9s %9s %9s %9s %8s %9s %8s\n", "figure (ms)", "runs", "min", "median",
                "max", "floor", "vs floor", "slept", "vs slept");
}

inline void printFigure(const Figure& f) {
    const double ms = 1e6;
    const double med = median(f.samplesNs) / ms;
    // Padded by characters, not bytes: names may be Russian.
    std::string name = f.name;
    for (auto c = utf8Length(name); c < 28; ++c) {
        name += ' ';
    }
    std::printf("%s %4zu %9.2f %9.2f %9.2f %9.2f %+7.1f%% %9.2f %+7.1f%%\n", name.c_str(),
                f.samplesNs.size(), minimum(f.samplesNs) / ms, med, maximum(f.samplesNs) / ms,
                f.floorMs, 100 * (med - f.floorMs) / f.floorMs, f.sleptMs,
                100 * (med - f.sleptMs) / f.sleptMs);
}

}  // namespace stela::bench
