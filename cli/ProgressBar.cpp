#include "cli/ProgressBar.h"

#include <algorithm>

namespace stela::cli {

namespace {

constexpr int kBarWidth = 30;

}  // namespace

void ProgressBar::setRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
}

void ProgressBar::setPosition(int value) {
    value_ = value;
    visible_ = value > minimum_ && maximum_ > minimum_;
    if (visible_) {
        draw();
    } else {
        hide();
    }
}

void ProgressBar::hide() {
    if (drawnWidth_ > 0) {
        out_ << '\r' << std::string(drawnWidth_, ' ') << '\r' << std::flush;
        drawnWidth_ = 0;
    }
}

void ProgressBar::show() {
    if (visible_ && drawnWidth_ == 0) {
        draw();
    }
}

void ProgressBar::draw() {
    const int span = maximum_ - minimum_;
    const int steps = std::min(std::max(value_ - minimum_, 0), span);
    const int done = steps * kBarWidth / span;
    std::string line = title_ + (title_.empty() ? "[" : " [");
    line += std::string(static_cast<std::size_t>(done), '#');
    line += std::string(static_cast<std::size_t>(kBarWidth - done), ' ');
    line += "] " + std::to_string(steps) + "/" + std::to_string(span);
    out_ << '\r' << line << std::flush;
    drawnWidth_ = line.size();
}

}  // namespace stela::cli
