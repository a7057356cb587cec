#include "cli/ProgressBar.h"

#include <algorithm>

#include "protocol/Clock.h"

namespace stela::cli {

namespace {

constexpr int kBarWidth = 30;
constexpr std::int64_t kRedrawMs = 100;

}  // namespace

void ProgressBar::start(std::string title, int total) {
    title_ = std::move(title);
    total_ = std::max(total, 1);
    done_ = 0;
    running_ = onTerminal_;
    drawIfDue();
}

void ProgressBar::advance() {
    if (running_) {
        done_ = std::min(done_ + 1, total_);
        drawIfDue();
    }
}

void ProgressBar::finish() {
    running_ = false;
    hide();
}

void ProgressBar::hide() {
    if (!drawn_.empty()) {
        out_ << '\r' << std::string(drawn_.size(), ' ') << '\r' << std::flush;
        drawn_.clear();
    }
}

void ProgressBar::drawIfDue() {
    if (!running_) {
        return;
    }
    const int filled = done_ * kBarWidth / total_;
    std::string line = title_ + " [";
    line += std::string(static_cast<std::size_t>(filled), '#');
    line += std::string(static_cast<std::size_t>(kBarWidth - filled), ' ');
    line += "] " + std::to_string(done_) + "/" + std::to_string(total_);
    const std::int64_t now = clock_.now_ms();
    if (line == drawn_ || (everDrawn_ && now - lastDrawMs_ < kRedrawMs)) {
        return;
    }
    const std::size_t cover = drawn_.size() > line.size() ? drawn_.size() - line.size() : 0;
    out_ << '\r' << line << std::string(cover, ' ') << std::flush;
    drawn_ = line;
    lastDrawMs_ = now;
    everDrawn_ = true;
}

}  // namespace stela::cli
