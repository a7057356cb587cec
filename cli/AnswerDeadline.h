#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace stela::cli {

// What keeps a check within its time limit whatever blocks it (a network
// port's connect, a prices file on a pipe that never ends, an output that
// hangs): at the deadline it writes the answer prepared for that moment to
// standard output and ends the process with its status. Ending the process
// closes the port, which releases its flock; a lock file left behind names
// a process that is gone, and the next open removes it.
class AnswerDeadline {
public:
    AnswerDeadline() = default;
    ~AnswerDeadline() { disarm(); }
    AnswerDeadline(const AnswerDeadline&) = delete;
    AnswerDeadline& operator=(const AnswerDeadline&) = delete;

    // From now on, `answer` and `status` at `atMs` (SteadyClock's time).
    void arm(std::int64_t atMs, std::string answer, int status);
    // The answer for the moments from now on.
    void prepare(std::string answer, int status);
    // The run writes its own answer now: at the deadline none is written,
    // and the process ends with `status`.
    void answered(int status);
    // The run has ended in time.
    void disarm();

private:
    void watch();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::thread thread_;
    std::chrono::steady_clock::time_point at_;
    std::string answer_;
    int status_ = 0;
    bool disarmed_ = false;
};

}  // namespace stela::cli
