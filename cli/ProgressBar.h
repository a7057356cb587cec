#pragma once

#include <cstdint>
#include <ostream>
#include <string>

namespace stela {
class Clock;
}

namespace stela::cli {

// A workflow's progress on a terminal line, counted in panel halves:
// "read  [#########            ] 3/10", redrawn in place with a carriage
// return when it changes, at most ten times a second. It draws nothing unless
// the stream is a terminal.
class ProgressBar {
public:
    ProgressBar(std::ostream& out, Clock& clock, bool onTerminal)
        : out_(out), clock_(clock), onTerminal_(onTerminal) {}

    // A new bar at 0 of `total`.
    void start(std::string title, int total);
    // One more half done.
    void advance();
    // Takes the bar off its line for good.
    void finish();
    // Takes the bar off its line, so that other text can be printed there;
    // redraw() puts it back.
    void hide();
    void redraw() { drawIfDue(); }

private:
    void drawIfDue();

    std::ostream& out_;
    Clock& clock_;
    const bool onTerminal_;
    std::string title_;
    int done_ = 0, total_ = 0;
    bool running_ = false;
    std::string drawn_;  // the line on the terminal now, "" when none
    std::int64_t lastDrawMs_ = 0;
    bool everDrawn_ = false;
};

}  // namespace stela::cli
