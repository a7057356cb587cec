#include "cli/AnswerDeadline.h"

#include <cstdio>
#include <cstdlib>

namespace stela::cli {

void AnswerDeadline::arm(std::int64_t atMs, std::string answer, int status) {
    disarm();
    std::lock_guard<std::mutex> lock(mutex_);
    at_ = std::chrono::steady_clock::time_point(std::chrono::milliseconds(atMs));
    answer_ = std::move(answer);
    status_ = status;
    disarmed_ = false;
    thread_ = std::thread([this] { watch(); });
}

void AnswerDeadline::prepare(std::string answer, int status) {
    std::lock_guard<std::mutex> lock(mutex_);
    answer_ = std::move(answer);
    status_ = status;
}

void AnswerDeadline::answered(int status) {
    prepare("", status);
}

void AnswerDeadline::disarm() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        disarmed_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void AnswerDeadline::watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (wake_.wait_until(lock, at_, [this] { return disarmed_; })) {
        return;
    }
    // The lock stays held: the run can neither answer nor change the answer now.
    std::fwrite(answer_.data(), 1, answer_.size(), stdout);
    std::fflush(stdout);
    std::_Exit(status_);
}

}  // namespace stela::cli
