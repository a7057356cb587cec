#pragma once

#include <termios.h>

#include <deque>
#include <string>
#include <string_view>

#include "sim/SignModel.h"

namespace stela {

enum class DisplayMode {
    Quiet,   // nothing
    Plain,   // one log line per event (scripts, CI)
    Screen,  // the pylon above the log, redrawn in place (a terminal)
};

// What stela-sim shows of the sign: the pylon as a technician sees it and a log
// of the line. In Screen mode it takes over the terminal (alternate screen,
// no echo of typed keys) until it is destroyed.
class PylonDisplay : public SignObserver {
public:
    PylonDisplay(const SignModel& sign, DisplayMode mode, std::string title);
    ~PylonDisplay() override;
    PylonDisplay(const PylonDisplay&) = delete;
    PylonDisplay& operator=(const PylonDisplay&) = delete;

    void redraw();
    // A line of our own in the log (not from the sign).
    void note(const std::string& text, SimTime at);

    void frameReceived(const FrameEvent& event) override;
    void bytesDiscarded(std::string_view bytes, SimTime at) override;
    void replySent(std::string_view bytes, SimTime lastByteAt) override;

private:
    void log(SimTime at, const std::string& text);
    // A reader that stopped reading our output must not stall the sign: such
    // lines are dropped and counted instead.
    void putUnlessStalled(const std::string& line);
    std::string halfCell(int address) const;

    const SignModel& sign_;
    DisplayMode mode_;
    std::string title_;
    std::deque<std::string> log_;
    std::size_t dropped_ = 0;
    bool restoreInput_ = false;
    termios savedInput_{};
};

}  // namespace stela
