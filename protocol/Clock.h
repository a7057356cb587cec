#pragma once

#include <chrono>
#include <cstdint>
#include <thread>

namespace stela {

// Time as the console and the reply reader see it. They sleep only through this
// seam, so tests can run every exchange in virtual time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t now_ms() = 0;
    virtual void sleep_ms(int ms) = 0;
};

// The real clock: a monotonic time base and a blocking sleep.
class SteadyClock final : public Clock {
public:
    std::int64_t now_ms() override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
    void sleep_ms(int ms) override {
        if (ms > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        }
    }
};

}  // namespace stela
