#pragma once

#include <cstdint>
#include <optional>

#include "protocol/Clock.h"

namespace stela::cli {

// Thrown by a LimitedClock's sleep that would end after its limit.
struct TimeLimitReached {};

// The clock a check's workflows run on: another clock's time, with a limit
// past which no sleep begins. The read plans its passes to end before the
// limit; this stops what cannot plan (the board search, a line slower than
// its passes so far) at its next sleep, which a poll's own timing never is.
class LimitedClock final : public Clock {
public:
    explicit LimitedClock(Clock& clock) : clock_(clock) {}

    void setLimit(std::int64_t ms) { limitMs_ = ms; }

    std::int64_t now_ms() override { return clock_.now_ms(); }
    void sleep_ms(int ms) override {
        if (limitMs_ && clock_.now_ms() + ms > *limitMs_) {
            throw TimeLimitReached{};
        }
        clock_.sleep_ms(ms);
    }

private:
    Clock& clock_;
    std::optional<std::int64_t> limitMs_;
};

}  // namespace stela::cli
