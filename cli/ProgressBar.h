#pragma once

#include <ostream>
#include <string>

namespace stela::cli {

// The window's progress bar on a terminal line: "read  [#######        ] 4/8",
// redrawn in place with a carriage return. Only for a stream that is a terminal.
class ProgressBar {
public:
    explicit ProgressBar(std::ostream& out) : out_(out) {}

    void setTitle(std::string title) { title_ = std::move(title); }
    void setRange(int minimum, int maximum);
    // Draws the bar at `value`; the minimum (a finished workflow) removes it.
    void setPosition(int value);
    // Takes the bar off its line, so that other text can be printed there.
    void hide();
    // Puts it back after hide().
    void show();

private:
    void draw();

    std::ostream& out_;
    std::string title_;
    int minimum_ = 0, maximum_ = 0, value_ = 0;
    bool visible_ = false;
    std::size_t drawnWidth_ = 0;
};

}  // namespace stela::cli
