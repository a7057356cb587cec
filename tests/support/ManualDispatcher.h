#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "serial/EventDispatcher.h"

namespace stela::test {

// An event dispatcher for a thread without an event loop: posted calls wait
// until that thread runs them, as the window's loop would when it handles its
// messages.
class ManualDispatcher final : public EventDispatcher {
public:
    void post(std::function<void()> call) override {
        const std::lock_guard<std::mutex> lock(mutex_);
        calls_.push_back(std::move(call));
        ++posted_;
        changed_.notify_all();
    }

    // Runs the calls posted so far, in order; returns how many ran.
    int runPending() {
        std::deque<std::function<void()>> calls;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            calls.swap(calls_);
        }
        for (auto& call : calls) {
            call();
        }
        return int(calls.size());
    }

    // Waits until `count` calls in all have been posted; false after `timeout`.
    bool waitForPosts(int count,
                      std::chrono::milliseconds timeout = std::chrono::milliseconds(2000)) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return posted_ >= count; });
    }

    int posted() const {
        const std::lock_guard<std::mutex> lock(mutex_);
        return posted_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> calls_;
    int posted_ = 0;
};

}  // namespace stela::test
