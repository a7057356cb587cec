#pragma once

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace stela::bench {

inline std::int64_t nowNanos() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// CPU time of the whole process so far, user and system, in nanoseconds.
inline std::int64_t cpuNanos() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    auto ns = [](const timeval& t) {
        return std::int64_t(t.tv_sec) * 1000000000 + t.tv_usec * 1000;
    };
    return ns(u.ru_utime) + ns(u.ru_stime);
}

inline double minimum(const std::vector<std::int64_t>& samples) {
    return samples.empty() ? 0.0 : double(*std::min_element(samples.begin(), samples.end()));
}

inline double median(std::vector<std::int64_t> samples) {
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    return n == 0  ? 0.0
           : n % 2 ? double(samples[n / 2])
                   : (samples[n / 2 - 1] + samples[n / 2]) / 2.0;
}

inline double maximum(const std::vector<std::int64_t>& samples) {
    return samples.empty() ? 0.0 : double(*std::max_element(samples.begin(), samples.end()));
}

}  // namespace stela::bench
