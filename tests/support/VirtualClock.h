#pragma once

#include <cstdint>

#include "protocol/Clock.h"
#include "sim/SimTime.h"

namespace stela::test {

// Time that passes only when someone sleeps (or a simulated write takes wire
// time), so every exchange runs instantly and repeatably in tests.
class VirtualClock final : public Clock {
public:
    std::int64_t now_ms() override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(now_).count();
    }
    void sleep_ms(int ms) override {
        if (ms > 0) {
            now_ += std::chrono::milliseconds(ms);
            sleptMs_ += ms;
        }
    }

    SimTime now() const { return now_; }
    void advance(SimTime by) { now_ += by; }
    // Total of all sleeps, not counting wire time.
    std::int64_t sleptMs() const { return sleptMs_; }

private:
    SimTime now_{};
    std::int64_t sleptMs_ = 0;
};

}  // namespace stela::test
