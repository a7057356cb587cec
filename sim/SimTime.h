#pragma once

#include <chrono>
#include <cstdint>

namespace stela {

// Time on the simulated line, from an origin the caller chooses. Coarser
// durations (std::chrono::microseconds, milliseconds) convert to it implicitly.
using SimTime = std::chrono::nanoseconds;

// 19200 bit/s, 8N1: ten bits per byte, 1920 bytes per second (520.833 us each).
inline constexpr std::int64_t kLineBytesPerSecond = 1920;

// How long `bytes` back-to-back bytes take on the wire. Always computed from the
// count, never summed byte by byte, so a long reply does not drift.
constexpr SimTime wireTime(std::int64_t bytes) {
    return SimTime(bytes * 1'000'000'000 / kLineBytesPerSecond);
}

}  // namespace stela
